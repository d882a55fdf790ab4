#include <gtest/gtest.h>

#include "support.hpp"

namespace rovanel::testing {
namespace {

struct Fixture : ::testing::Test {
  ScriptedRandom random;
  RecordingHost host;
  Solver s{random, host};
};

using Inijunban = Fixture;

TEST_F(Inijunban, ShufflesEveryPositionForClosedAndFreeTours) {
  random = ScriptedRandom({0.5f, 0.0f, 0.9f, 0.3f});
  for (std::int16_t type : {0, 1}) {
    random.draws = 0;
    set_letters(s, "abcd");
    s.type = type;
    s.inijunban();
    EXPECT_EQ(letters(s), "cadb");
    EXPECT_EQ(random.draws, 4u);
    EXPECT_EQ(s.sel, 0);
  }
}

TEST_F(Inijunban, KeepsFixedEnds) {
  random = ScriptedRandom({0.7f, 0.2f, 0.5f});
  set_letters(s, "abcde");
  s.type = 3;
  s.inijunban();
  EXPECT_EQ(letters(s), "adbce");
  EXPECT_EQ(random.draws, 3u);

  random = ScriptedRandom({0.99f});
  set_letters(s, "abcde");
  s.type = 2;
  s.inijunban();
  EXPECT_EQ(letters(s), "aedcb");
  EXPECT_EQ(random.draws, 4u);
}

TEST_F(Inijunban, LeavesPositionsBeyondTheTourAlone) {
  random = ScriptedRandom({0.6f, 0.1f});
  s.x[4] = 42;
  s.y[4] = 43;
  set_letters(s, "abcd");
  s.type = 3;
  s.inijunban();
  EXPECT_EQ(letters(s), "acbd");
  EXPECT_EQ(s.x[4], 42);
  EXPECT_EQ(s.y[4], 43);
}

using Nearest = Fixture;

TEST_F(Nearest, VisitsTheNearestUnvisitedPoint) {
  set_tour(s, {{0, 0}, {30, 0}, {10, 0}, {20, 0}});
  s.nearest();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {20, 0}, {30, 0}}));
  EXPECT_EQ(s.sel, 3);
  EXPECT_EQ(s.mind, 10.0);
  EXPECT_EQ(random.draws, 0u);
}

TEST_F(Nearest, TiesGoToTheLowerPositionAndCoincidentPointsFollowEachOther) {
  // (0,10) and (10,0) are equally near the start; the one standing first wins.
  set_tour(s, {{0, 0}, {10, 0}, {0, 10}, {50, 50}});
  s.nearest();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {0, 10}, {50, 50}}));
  set_tour(s, {{0, 0}, {0, 10}, {10, 0}, {50, 50}});
  s.nearest();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {0, 10}, {10, 0}, {50, 50}}));

  set_tour(s, {{5, 5}, {40, 40}, {5, 5}, {9, 5}, {5, 5}});
  s.nearest();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{5, 5}, {5, 5}, {5, 5}, {9, 5}, {40, 40}}));
}

}  // namespace
}  // namespace rovanel::testing
