// Every relocation of a pair of neighbouring points, in its order (ten2) or reversed (ten2b).
#include "solver/solver.hpp"

namespace rovanel {

void Solver::ten2() {
  ten2_moves(false);
}

void Solver::ten2b() {
  ten2_moves(true);
}

void Solver::ten2_moves(bool reversed) {
  const auto [lo, hi] = movable_range();
  for (int i = lo; i <= hi - 2; ++i) {
    const double px = x[i];
    const double py = y[i];
    const double qx = x[i + 1];
    const double qy = y[i + 1];
    for (int j = i; j <= hi - 3; ++j) {
      x[j] = x[j + 2];
      y[j] = y[j + 2];
    }
    for (int j = 0; j <= hi - 3; ++j) {
      t2x[j] = x[j];
      t2y[j] = y[j];
    }
    for (int k = lo; k <= hi - 3; ++k) {
      for (int j = 0; j <= hi - 3; ++j) {
        x[j] = t2x[j];
        y[j] = t2y[j];
      }
      for (int j = hi - 1; j >= k + 2; --j) {
        x[j] = x[j - 2];
        y[j] = y[j - 2];
      }
      x[k] = reversed ? qx : px;
      y[k] = reversed ? qy : py;
      x[k + 1] = reversed ? px : qx;
      y[k + 1] = reversed ? py : qy;
      hantei();
    }
  }
}

}  // namespace rovanel
