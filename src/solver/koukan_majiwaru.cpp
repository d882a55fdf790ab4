// The segment crossing test (koukan, the exchange, is inline in the header).
#include "solver/solver.hpp"

namespace rovanel {

// 1 when segment (mx1,my1)-(mx2,my2) crosses segment (mx3,my3)-(mx4,my4). The small constant in
// the divisor makes a touching end count in one orientation only, as the moves expect.
std::int16_t Solver::majiwaru(const double& mx1, const double& my1, const double& mx2,
                              const double& my2, const double& mx3, const double& my3,
                              const double& mx4, const double& my4) {
  const double a = (my4 - my3) * (mx4 - mx1) - (my4 - my1) * (mx4 - mx3);
  const double b = (my4 - my1) * (mx2 - mx1) - (my2 - my1) * (mx4 - mx1);
  const double c = (my4 - my3) * (mx2 - mx1) - (my2 - my1) * (mx4 - mx3) + 0.00001;
  if (c == 0.0) {
    return 0;  // cross product exactly -0.00001: no crossing rather than a division by zero
  }
  const double s = a / c;
  const double t = b / c;
  return (s > 0 && s < 1 && t > 0 && t < 1) ? 1 : 0;
}

}  // namespace rovanel
