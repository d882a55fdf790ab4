// Measures the working tour and keeps the best tour of the problem.
#include "solver/solver.hpp"

namespace rovanel {

void Solver::hantei() {
  ++hantei_calls;
  const int last = type <= 0 ? n - 1 : n - 2;
  curd = 0.0;
  for (int i = 0; i <= last; ++i) {
    si = static_cast<std::int16_t>(i);
    si1 = static_cast<std::int16_t>(i + 1);
    if (i == n - 1) {
      si1 = 0;
    }
    curd += kyori(x[si], y[si], x[si1], y[si1]);
  }
  if (curd < bestd) {
    ++counter2;
    bestd = curd;
    for (int i = 0; i < n; ++i) {
      bestx[i] = x[i];
      besty[i] = y[i];
    }
    host_.repaint();
  }
}

}  // namespace rovanel
