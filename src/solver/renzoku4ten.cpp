// First-improvement exchange of the two middle points of four consecutive positions.
#include <algorithm>

#include "solver/solver.hpp"

namespace rovanel {

void Solver::renzoku4ten() {
  const int r = type <= 0 ? n : n - 3;
  settled = 0;
  // An exchange at window i changes only the windows that hold one of its two points, i - 2 ..
  // i + 2 (modulo n). The windows before them still do not improve, so the next search may
  // begin at i - 2 when the exchanged points do not wrap past the last position.
  int first = 0;
  for (;;) {
    settled = 1;
    std::int16_t p1 = 0;
    std::int16_t p2 = 0;
    for (int i = first; i < r; ++i) {
      // The window wraps past the last position in a closed tour.
      const int p0 = i;
      const int q1 = i + 1 < n ? i + 1 : i + 1 - n;
      const int q2 = i + 2 < n ? i + 2 : i + 2 - n;
      const int q3 = i + 3 < n ? i + 3 : i + 3 - n;
      const double l1 = (kyori(x[q1], y[q1], x[q2], y[q2]) + kyori(x[p0], y[p0], x[q1], y[q1])) +
                        kyori(x[q2], y[q2], x[q3], y[q3]);
      const double l2 = (kyori(x[q2], y[q2], x[q1], y[q1]) + kyori(x[p0], y[p0], x[q2], y[q2])) +
                        kyori(x[q1], y[q1], x[q3], y[q3]);
      if (l2 < l1) {
        settled = 0;
        p1 = static_cast<std::int16_t>(q1);
        p2 = static_cast<std::int16_t>(q2);
        first = i + 2 < n ? std::max(i - 2, 0) : 0;
        break;
      }
    }
    if (settled == 0) {
      koukan(p1, p2);
      hantei();
      continue;
    }
    majiwaruka();
    hantei();
    return;
  }
}

}  // namespace rovanel
