// Measures the working tour and keeps the best tour of the problem.
#include "solver/solver.hpp"

namespace rovanel {

void Solver::hantei() {
  ++hantei_calls;
  const int last = type <= 0 ? n - 1 : n - 2;
  // The edge lengths first (independent, so they vectorize), then their sum in tour order,
  // the closing edge last.
  double length[Slots<double>::kSize];
  for (int i = 0; i < n - 1; ++i) {
    length[i] = kyori(x[i], y[i], x[i + 1], y[i + 1]);
  }
  if (last == n - 1) {
    length[n - 1] = kyori(x[n - 1], y[n - 1], x[0], y[0]);
  }
  double sum = 0.0;
  for (int i = 0; i <= last; ++i) {
    sum += length[i];
  }
  curd = sum;
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
