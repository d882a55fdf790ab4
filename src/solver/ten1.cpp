// Every relocation of one point, each candidate measured by hantei.
#include "solver/relocate.hpp"

namespace rovanel {

void Solver::ten1() {
  relocate<1>(false, t1x, t1y);
}

}  // namespace rovanel
