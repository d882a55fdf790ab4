// Crossing removal: list the first crossing edge pairs, exchange one at random, repeat.
#include "solver/solver.hpp"

namespace rovanel {

namespace {
constexpr int kListSize = 11;
}

void Solver::majiwaruka() {
  const int l = type <= 0 ? n : n - 1;
  for (std::int32_t exchanges = 0; exchanges < kMaxCrossingExchanges; ++exchanges) {
    bool found = false;
    ncross = 0;
    for (int i = 0; i <= l - 3 && ncross < kListSize; ++i) {
      si = static_cast<std::int16_t>(i);
      si1 = static_cast<std::int16_t>(i + 1);
      for (int j = i + 2; j <= l - 1; ++j) {
        sj = static_cast<std::int16_t>(j);
        sj1 = static_cast<std::int16_t>(j == n - 1 ? 0 : j + 1);
        if (majiwaru(x[si], y[si], x[si1], y[si1], x[sj], y[sj], x[sj1], y[sj1]) == 1) {
          found = true;
          crossb[ncross] = sj;
          crossa[ncross] = si1;
          ++ncross;
          if (ncross >= kListSize) {
            break;
          }
        }
      }
    }
    if (!found) {
      return;
    }
    pick = draw_index(ncross);
    sj = crossb[pick];
    si1 = crossa[pick];
    koukan(si1, sj);
  }
}

}  // namespace rovanel
