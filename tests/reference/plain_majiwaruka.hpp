// The straightforward crossing removal: every repetition rescans the tour from the first pair.
// The solver's own majiwaruka must list, draw and exchange exactly as this one does.
#pragma once

#include "solver/solver.hpp"

namespace rovanel::reference {

class PlainMajiwaruka : public Solver {
 public:
  using Solver::Solver;

  void majiwaruka() override {
    auto& s = *this;
    const int l = s.type <= 0 ? s.n : s.n - 1;
    for (std::int32_t exchanges = 0; exchanges < Solver::kMaxCrossingExchanges; ++exchanges) {
      bool found = false;
      s.ncross = 0;
      for (int i = 0; i <= l - 3 && s.ncross <= 10; ++i) {
        // The edge cursor: the first segment from si to si1, the second from sj to sj1.
        const auto si = static_cast<std::int16_t>(i);
        const auto si1 = static_cast<std::int16_t>(i + 1);
        for (int j = i + 2; j <= l - 1; ++j) {
          s.sj = static_cast<std::int16_t>(j);
          const auto sj1 = static_cast<std::int16_t>(j == s.n - 1 ? 0 : j + 1);
          if (majiwaru(s.x[si], s.y[si], s.x[si1], s.y[si1], s.x[s.sj], s.y[s.sj], s.x[sj1],
                       s.y[sj1]) == 1) {
            found = true;
            s.crossb[s.ncross] = s.sj;
            s.crossa[s.ncross] = si1;
            ++s.ncross;
            if (s.ncross > 10) {
              break;
            }
          }
        }
      }
      if (!found) {
        return;
      }
      s.pick = draw_index(s.ncross);
      s.sj = s.crossb[s.pick];
      s.koukan(s.crossa[s.pick], s.sj);
    }
  }
};

}  // namespace rovanel::reference
