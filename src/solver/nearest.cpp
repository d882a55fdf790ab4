// Greedy nearest-neighbour tour from the point at position 0.
#include "solver/solver.hpp"

namespace rovanel {

void Solver::nearest() {
  for (int i = 0; i <= n - 2; ++i) {
    mind = 999999.9;
    sel = 9999;
    // Strictly less: of equally near points the lowest position wins.
    for (int j = i + 1; j <= n - 1; ++j) {
      const double d = kyori(x[i], y[i], x[j], y[j]);
      if (d < mind) {
        mind = d;
        sel = static_cast<std::int16_t>(j);
      }
    }
    koukan(static_cast<std::int16_t>(i + 1), sel);
  }
}

}  // namespace rovanel
