// majiwaru, the segment crossing test, on one pair of segments or on several lanes of pairs at
// once; crossing removal calls it in its innermost loops, so it is inline.
#pragma once

#include <cstdint>

namespace rovanel {

// The crossing test on one pair of segments (V = double) or on several lanes of pairs at once
// (V = a vector of doubles): the same operations in the same order in every lane, so every
// lane gives exactly what the test gives for its pair. It takes the differences the test is
// made of: (dx1, dy1) runs along the first segment, (dx2, dy2) along the second, (wx, wy) from
// the first segment's start to the second segment's end. The small constant in the divisor
// makes a touching end count in one orientation only, as the moves expect. Always inlined, so
// the lanes are computed with the instructions of the caller's processor.
template <class V>
__attribute__((always_inline)) inline auto crossing_lanes(const V& dx1, const V& dy1, const V& dx2,
                                                          const V& dy2, const V& wx, const V& wy) {
  const V a = dy2 * wx - wy * dx2;
  const V b = wy * dx1 - dy1 * wx;
  const V c = dy2 * dx1 - dy1 * dx2 + 0.00001;
  // A divisor of exactly zero (cross product -0.00001) means no crossing, not a division by zero.
  const auto divisible = c != 0.0;
  const V divisor = divisible ? c : V{} + 1.0;
  const V s = a / divisor;
  const V t = b / divisor;
  return divisible & (s > 0.0) & (s < 1.0) & (t > 0.0) & (t < 1.0);
}

// majiwaru ("cross"): 1 when segment (mx1,my1)-(mx2,my2) crosses segment (mx3,my3)-(mx4,my4),
// else 0.
inline std::int16_t majiwaru(double mx1, double my1, double mx2, double my2, double mx3, double my3,
                             double mx4, double my4) {
  return crossing_lanes(mx2 - mx1, my2 - my1, mx4 - mx3, my4 - my3, mx4 - mx1, my4 - my1) ? 1 : 0;
}

}  // namespace rovanel
