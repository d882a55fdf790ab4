// The relocation moves' common walk, for ten1 (a block of one point) and ten2 (of two).
#pragma once

#include "solver/solver.hpp"

namespace rovanel {

// Every relocation of a block of kWidth neighbouring movable points: taken out at each position,
// the rest of the tour kept in the scratch (sx, sy), and put back before each position, in its
// order or reversed; hantei judges each candidate.
template <int kWidth>
void Solver::relocate(bool reversed, Slots<double>& sx, Slots<double>& sy) {
  const auto [lo, hi] = movable_range();
  const int rest = hi - kWidth;  // positions 0 .. rest - 1 hold the tour without the block
  for (int i = lo; i <= rest; ++i) {
    double bx[kWidth];
    double by[kWidth];
    for (int b = 0; b < kWidth; ++b) {
      bx[b] = x[i + b];
      by[b] = y[i + b];
    }
    for (int j = i; j <= rest - 1; ++j) {
      x[j] = x[j + kWidth];
      y[j] = y[j + kWidth];
    }
    for (int j = 0; j <= rest - 1; ++j) {
      sx[j] = x[j];
      sy[j] = y[j];
    }
    for (int k = lo; k <= rest - 1; ++k) {
      for (int j = 0; j <= rest - 1; ++j) {
        x[j] = sx[j];
        y[j] = sy[j];
      }
      for (int j = hi - 1; j >= k + kWidth; --j) {
        x[j] = x[j - kWidth];
        y[j] = y[j - kWidth];
      }
      for (int b = 0; b < kWidth; ++b) {
        const int from = reversed ? kWidth - 1 - b : b;
        x[k + b] = bx[from];
        y[k + b] = by[from];
      }
      hantei();
    }
  }
}

}  // namespace rovanel
