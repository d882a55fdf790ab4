// Every relocation of one point, each candidate measured by hantei.
#include "solver/solver.hpp"

namespace rovanel {

void Solver::ten1() {
  const auto [lo, hi] = movable_range();
  for (int i = lo; i < hi; ++i) {
    const double px = x[i];
    const double py = y[i];
    for (int j = i; j <= hi - 2; ++j) {
      x[j] = x[j + 1];
      y[j] = y[j + 1];
    }
    for (int j = 0; j <= hi - 2; ++j) {
      t1x[j] = x[j];
      t1y[j] = y[j];
    }
    for (int k = lo; k <= hi - 2; ++k) {
      for (int j = 0; j <= hi - 2; ++j) {
        x[j] = t1x[j];
        y[j] = t1y[j];
      }
      for (int j = hi - 1; j >= k + 1; --j) {
        x[j] = x[j - 1];
        y[j] = y[j - 1];
      }
      x[k] = px;
      y[k] = py;
      hantei();
    }
  }
}

}  // namespace rovanel
