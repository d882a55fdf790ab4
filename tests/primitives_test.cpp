#include <gtest/gtest.h>

#include "support.hpp"

namespace rovanel::testing {
namespace {

TEST(Random, ADrawIsNeverOneSoAChoiceStaysInRange) {
  EXPECT_EQ(Mt19937Source::unit(0), 0.0f);
  const float top = Mt19937Source::unit(0xFFFFFFFFu);
  EXPECT_EQ(top, 1.0f - 0x1p-24f);
  for (int k = 1; k <= 50; ++k) {
    EXPECT_EQ(static_cast<int>(static_cast<double>(top) * k), k - 1);
  }
  // A float conversion of all 32 bits would round the largest outputs up to 1.
  EXPECT_EQ(static_cast<float>(0xFFFFFFFFu) * 0x1p-32f, 1.0f);
}

TEST(Kyori, DistanceIsSymmetricAndExact) {
  EXPECT_EQ(kyori(0, 0, 3, 4), 5.0);
  EXPECT_EQ(kyori(3, 4, 0, 0), 5.0);
  EXPECT_EQ(kyori(7.25, -1.5, 7.25, -1.5), 0.0);
  EXPECT_EQ(kyori(1.1, 2.2, 3.3, 4.4), kyori(3.3, 4.4, 1.1, 2.2));
}

struct CrossCase {
  double s1[4];
  double s2[4];
  int expected;
};

TEST(Majiwaru, CrossingTableIncludingTouchingEndsInBothOrientations) {
  const CrossCase cases[] = {
      {{0, 0, 10, 10}, {0, 10, 10, 0}, 1},
      {{0, 0, 10, 10}, {10, 0, 0, 10}, 1},
      {{0, 0, 10, 0}, {0, 5, 10, 5}, 0},    // parallel
      {{0, 0, 10, 0}, {5, 0, 15, 0}, 0},    // collinear, overlapping
      {{0, 0, 10, 0}, {20, -5, 20, 5}, 0},  // lines meet outside segment 1
      {{0, 0, 10, 0}, {9.9999, -5, 9.9999, 5}, 1},
      {{0, 0, 10, 0}, {10, 10, 0, 0}, 0},    // P4 = P1
      {{0, 0, 10, 0}, {10, 0, 10, 10}, 1},   // P3 = P2, positive cross product
      {{0, 0, 10, 0}, {10, 0, 10, -10}, 0},  // P3 = P2, negative
      {{0, 0, 10, 0}, {5, 0, 5, 10}, 1},     // P3 on segment 1
      {{0, 0, 10, 0}, {5, 0, 5, -10}, 0},
      {{0, 0, 10, 0}, {5, 10, 5, 0}, 0},  // P4 on segment 1: t = 0 never counts
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "(" << c.s1[0] << "," << c.s1[1] << ")-(" << c.s1[2] << ","
                                      << c.s1[3] << ") vs (" << c.s2[0] << "," << c.s2[1] << ")-("
                                      << c.s2[2] << "," << c.s2[3] << ")");
    EXPECT_EQ(
        Solver::majiwaru(c.s1[0], c.s1[1], c.s1[2], c.s1[3], c.s2[0], c.s2[1], c.s2[2], c.s2[3]),
        c.expected);
  }
}

TEST(Majiwaru, ZeroDivisorIsNoCrossing) {
  // (my4 - my3) * (mx2 - mx1) is exactly -0.00001 and the other product is 0, so the divisor
  // is exactly zero.
  const double up = 0.00001;
  EXPECT_EQ((0.0 - up) * 1.0 - 0.0 * 0.0 + 0.00001, 0.0);
  EXPECT_EQ(Solver::majiwaru(0, 0, 1, 0, 0.5, up, 0.5, 0), 0);
  EXPECT_EQ(Solver::majiwaru(0, 0, 1, 0, 0.25, up, 0.75, 0), 0);
}

TEST(Koukan, ExchangesTwoPositionsOnly) {
  ScriptedRandom random;
  RecordingHost host;
  Solver s(random, host);
  set_letters(s, "abcd");
  std::int16_t i = 1;
  std::int16_t j = 3;
  s.koukan(i, j);
  EXPECT_EQ(letters(s), "adcb");
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 3);
  s.koukan(i, j);
  EXPECT_EQ(letters(s), "abcd");
  s.koukan(j, j);
  EXPECT_EQ(letters(s), "abcd");
}

TEST(Slots, IndexOutsideTheArraysTraps) {
#ifdef NDEBUG
  GTEST_SKIP() << "assertions are compiled out of release builds";
#else
  TourState s;
  EXPECT_DEATH(s.x[51] = 1, "outside 0..50");
  EXPECT_DEATH(s.crossa[-1] = 1, "outside 0..50");
  ScriptedRandom random;
  RecordingHost host;
  Solver solver(random, host);
  const std::int16_t first = 0;
  const std::int16_t unset = 9999;  // what nearest would pass if a search found no candidate
  EXPECT_DEATH(solver.koukan(first, unset), "outside 0..50");
#endif
}

}  // namespace
}  // namespace rovanel::testing
