// What the golden traces cannot reach: the sound behaviour at faults, and hand-built inputs where
// two lengths tie to the last bit or segments only touch.
#include <gtest/gtest.h>

#include <cmath>

#include "support.hpp"

namespace rovanel::testing {
namespace {

struct Fixture : ::testing::Test {
  ScriptedRandom random{{0.3f}};
  QuietHost host;
  Solver s{random, host};
};

TEST(Random, ADrawIsNeverOneSoAChoiceStaysInRange) {
  EXPECT_EQ(Mt19937Source::unit(0), 0.0f);
  const float top = Mt19937Source::unit(0xFFFFFFFFu);
  EXPECT_EQ(top, 1.0f - 0x1p-24f);
  for (int k = 1; k <= 50; ++k) {
    EXPECT_EQ(static_cast<int>(static_cast<double>(top) * k), k - 1);
  }
}

TEST(Majiwaru, CrossingTableWithTouchingEndsInBothOrientationsAndAZeroDivisor) {
  struct Case {
    double s1[4], s2[4];
    int expected;
  };
  const double up = 0.00001;  // (0 - up) * 1 + 0.00001 is exactly 0: the divisor
  ASSERT_EQ((0.0 - up) * 1.0 - 0.0 * 0.0 + 0.00001, 0.0);
  const Case cases[] = {
      {{0, 0, 10, 10}, {0, 10, 10, 0}, 1},
      {{0, 0, 10, 10}, {10, 0, 0, 10}, 1},
      {{0, 0, 10, 0}, {0, 5, 10, 5}, 0},    // parallel
      {{0, 0, 10, 0}, {5, 0, 15, 0}, 0},    // collinear, overlapping
      {{0, 0, 10, 0}, {20, -5, 20, 5}, 0},  // the lines meet outside segment 1
      {{0, 0, 10, 0}, {9.9999, -5, 9.9999, 5}, 1},
      {{0, 0, 10, 0}, {10, 10, 0, 0}, 0},    // P4 = P1
      {{0, 0, 10, 0}, {10, 0, 10, 10}, 1},   // P3 = P2, positive cross product
      {{0, 0, 10, 0}, {10, 0, 10, -10}, 0},  // P3 = P2, negative
      {{0, 0, 10, 0}, {5, 0, 5, 10}, 1},     // P3 on segment 1
      {{0, 0, 10, 0}, {5, 0, 5, -10}, 0},
      {{0, 0, 10, 0}, {5, 10, 5, 0}, 0},  // P4 on segment 1: t = 0 never counts
      {{0, 0, 1, 0}, {0.5, up, 0.5, 0}, 0},
      {{0, 0, 1, 0}, {0.25, up, 0.75, 0}, 0},
  };
  for (const auto& [a, b, expected] : cases) {
    EXPECT_EQ(majiwaru(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]), expected)
        << &a - &cases[0].s1;
  }
}

TEST_F(Fixture, HanteiTakesATourOneUlpShorterButNotAnEqualOne) {
  set_tour(s, {{0, 0}, {3, 0}, {3, 4}, {0, 4}});
  for (const double best : {14.0, std::nextafter(14.0, 100.0)}) {
    s.bestd = best;
    s.hantei();
  }
  EXPECT_EQ(s.counter2, 1);
  EXPECT_EQ(s.bestd, 14.0);
  EXPECT_EQ(host.repaints, 1);
}

TEST_F(Fixture, CrossingRemovalGivesUpAfterItsExchangeLimit) {
  // The second and third points coincide, so the first and last edges touch in the orientation
  // that counts as a crossing; exchanging two equal points changes nothing, for ever.
  set_tour(s, {{0, 0}, {10, 0}, {10, 0}, {10, 10}});
  s.type = 1;
  s.majiwaruka();
  EXPECT_EQ(random.draws, static_cast<std::size_t>(Solver::kMaxCrossingExchanges));
}

TEST_F(Fixture, FourPointWindowsWrapAndTieToTheLastBit) {
  struct Case {
    std::vector<Point> tour;
    std::size_t p1, p2;  // the first exchange
  };
  const Case cases[] = {
      // Six points whose first improving window starts at position 4 or 5.
      {{{8, 20}, {11, 13}, {11, 5}, {14, 11}, {10, 16}, {4, 16}}, 5, 0},
      {{{13, 13}, {18, 20}, {17, 11}, {14, 4}, {5, 19}, {12, 18}}, 0, 1},
      // Four points: windows (2,3,0,1) and (3,0,1,2) sum the same edges as (0,1,2,3) and
      // (1,2,3,0) in another order; only a tie in the last bit lets them improve first.
      {{{41, 19}, {50, 83}, {6, 9}, {68, -7.6584510345606605}}, 3, 0},
      {{{15, 28}, {80, 80}, {74, 7}, {73, 8.546204924672596}}, 0, 1},
  };
  struct FirstMeasured final : Solver {
    using Solver::Solver;
    void hantei() override {
      if (first.empty()) {
        first = tour_of(*this);
      }
    }
    std::vector<Point> first;
  };
  for (const auto& c : cases) {
    FirstMeasured m(random, host);
    set_tour(m, c.tour);
    m.renzoku4ten();
    auto expected = c.tour;
    std::swap(expected[c.p1], expected[c.p2]);
    EXPECT_EQ(m.first, expected) << "first exchange " << c.p1 << "," << c.p2;
  }
}

TEST_F(Fixture, EndMovesLeaveEquallyLongEndsAlone) {
  // Exchanging the two end points gives a path exactly as long, at either end.
  set_tour(s, {{0, 10}, {0, -10}, {10, 0}, {-30, 0}, {10, 0}, {0, 10}, {0, -10}});
  s.type = 1;
  s.saisyo();
  s.saigo();
  EXPECT_EQ(host.repaints + s.counter2, 0);
  EXPECT_EQ(tour_of(s).front(), (Point{0, 10}));
  EXPECT_EQ(tour_of(s).back(), (Point{0, -10}));
}

TEST_F(Fixture, NearestBreaksTiesByPositionAndKeepsCoincidentPointsTogether) {
  set_tour(s, {{0, 0}, {10, 0}, {0, 10}, {50, 50}});
  s.nearest();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {0, 10}, {50, 50}}));
  set_tour(s, {{5, 5}, {40, 40}, {5, 5}, {9, 5}, {5, 5}});
  s.nearest();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{5, 5}, {5, 5}, {5, 5}, {9, 5}, {40, 40}}));
}

TEST_F(Fixture, AnIndexOutsideTheArraysTraps) {
#ifdef NDEBUG
  GTEST_SKIP() << "assertions are compiled out of release builds";
#else
  EXPECT_DEATH(s.x[51] = 1, "outside 0..50");
  EXPECT_DEATH(s.crossa[-1] = 1, "outside 0..50");
  // 9999: what nearest would pass if a search found no candidate.
  EXPECT_DEATH(s.koukan(0, 9999), "outside 0..50");
#endif
}

}  // namespace
}  // namespace rovanel::testing
