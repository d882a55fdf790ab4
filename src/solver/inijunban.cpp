// A fresh random order of the movable positions.
#include "solver/solver.hpp"

namespace rovanel {

MovableRange Solver::movable_range() const {
  MovableRange r{0, n};
  if (type > 1) {
    r.lo = 1;
  }
  if (type == 3) {
    r.hi = static_cast<std::int16_t>(n - 1);
  }
  return r;
}

void Solver::inijunban() {
  const auto [lo, hi] = movable_range();
  const int m = hi - lo;
  for (int i = 0; i < m; ++i) {
    orgx[i] = x[lo + i];
    orgy[i] = y[lo + i];
  }
  for (int i = 0; i < m; ++i) {
    sel = draw_index(m - i);
    x[lo + i] = orgx[sel];
    y[lo + i] = orgy[sel];
    // Close the gap; the pool keeps its order.
    for (int j = sel; j <= m - i - 1; ++j) {
      orgx[j] = orgx[j + 1];
      orgy[j] = orgy[j + 1];
    }
  }
}

}  // namespace rovanel
