// Every relocation of a pair of neighbouring points, in its order (ten2) or reversed (ten2b).
#include "solver/relocate.hpp"

namespace rovanel {

void Solver::ten2() {
  relocate<2>(false, t2x, t2y);
}

void Solver::ten2b() {
  relocate<2>(true, t2x, t2y);
}

}  // namespace rovanel
