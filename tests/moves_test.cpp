#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "support.hpp"

namespace rovanel::testing {
namespace {

// Records every measured tour and every crossing removal, then runs the real procedure.
class TracingSolver : public Solver {
 public:
  using Solver::Solver;
  void hantei() override {
    measured.push_back(tour_of(*this));
    words.push_back(letters(*this));
    calls.push_back("hantei");
    Solver::hantei();
  }
  void majiwaruka() override {
    calls.push_back("majiwaruka");
    Solver::majiwaruka();
  }
  std::vector<std::vector<Point>> measured;
  std::vector<std::string> words;
  std::vector<std::string> calls;
};

struct Moves : ::testing::Test {
  ScriptedRandom random;
  RecordingHost host;
  TracingSolver s{random, host};
};

// --- hantei ---------------------------------------------------------------------------------

TEST_F(Moves, HanteiMeasuresClosedAndOpenTours) {
  const std::vector<Point> box = {{0, 0}, {3, 0}, {3, 4}, {0, 4}};
  for (std::int16_t type : {0, 1, 2, 3}) {
    SCOPED_TRACE(type);
    set_tour(s, box);
    s.type = type;
    s.bestd = Solver::kResetBestd;
    s.counter2 = 0;
    s.Solver::hantei();
    EXPECT_EQ(s.curd, type == 0 ? 14.0 : 10.0);
    EXPECT_EQ(s.bestd, s.curd);
    EXPECT_EQ(s.counter2, 1);
    EXPECT_EQ(s.si, type == 0 ? 3 : 2);
    EXPECT_EQ(s.si1, type == 0 ? 0 : 3);
    // The last position is copied also when no edge leads back from it.
    EXPECT_EQ(s.bestx[3], 0.0);
    EXPECT_EQ(s.besty[3], 4.0);
  }
}

TEST_F(Moves, HanteiTakesOnlyStrictlyShorterTours) {
  set_tour(s, {{0, 0}, {3, 0}, {3, 4}, {0, 4}});
  s.type = 0;
  s.bestd = Solver::kResetBestd;
  s.Solver::hantei();
  EXPECT_EQ(host.calls, std::vector<std::string>{"repaint"});
  // The same length again, and the same tour in another order: neither is taken.
  s.Solver::hantei();
  set_tour(s, {{3, 0}, {3, 4}, {0, 4}, {0, 0}});
  s.Solver::hantei();
  EXPECT_EQ(s.counter2, 1);
  EXPECT_EQ(s.bestx[0], 0.0);
  EXPECT_EQ(host.calls.size(), 1u);
  // One ulp shorter is taken.
  s.bestd = std::nextafter(14.0, 100.0);
  s.Solver::hantei();
  EXPECT_EQ(s.counter2, 2);
  EXPECT_EQ(s.bestx[0], 3.0);
  EXPECT_EQ(host.calls.size(), 2u);
}

// --- majiwaruka -----------------------------------------------------------------------------

TEST_F(Moves, MajiwarukaUncrossesFourPointsOfEveryType) {
  for (std::int16_t type : {0, 1, 2, 3}) {
    SCOPED_TRACE(type);
    random = ScriptedRandom({0.75f});
    set_tour(s, {{0, 0}, {10, 10}, {10, 0}, {0, 10}});
    s.type = type;
    s.Solver::majiwaruka();
    EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    EXPECT_EQ(random.draws, 1u);  // one draw also when the list has a single entry
    EXPECT_EQ(s.ncross, 0);
  }
}

TEST_F(Moves, MajiwarukaExchangesTheEndOfTheFirstEdgeWithTheStartOfTheSecond) {
  // Only edges (a,b) and (d,e) cross.
  const Point a{3, 10}, b{9, 4}, c{4, 1}, d{1, 7}, e{10, 7};
  set_tour(s, {a, b, c, d, e});
  s.type = 0;
  s.Solver::majiwaruka();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{a, d, c, b, e}));
  EXPECT_EQ(random.draws, 1u);
  EXPECT_EQ(s.crossa[0], 1);
  EXPECT_EQ(s.crossb[0], 3);
}

// Seven points on a circle visited as a {7/3} star: every pair of non-neighbouring edges
// crosses, except the first edge against the closing one.
std::vector<Point> heptagram() {
  std::vector<Point> v;
  for (int k = 0; k < 7; ++k) {
    const double angle = 2 * M_PI * ((3 * k) % 7) / 7;
    v.push_back({400 + 300 * std::cos(angle), 400 + 300 * std::sin(angle)});
  }
  return v;
}

// Always draws r; calls a callback just before the first and the second draw.
class PeekingRandom final : public RandomSource {
 public:
  explicit PeekingRandom(float r) : r_(r) {}
  float next() override {
    ++draws;
    if (draws == 1 && before_first) {
      before_first();
    }
    if (draws == 2 && before_second) {
      before_second();
    }
    return r_;
  }
  std::function<void()> before_first, before_second;
  int draws = 0;

 private:
  float r_;
};

TEST(Majiwaruka, ListsTheFirstElevenCrossingsInScanOrderAndExchangesThePickedOne) {
  const std::vector<std::pair<int, int>> first_eleven = {
      {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {3, 4}, {3, 5}, {3, 6}};
  for (int pick = 0; pick < 11; ++pick) {
    SCOPED_TRACE(pick);
    RecordingHost host;
    PeekingRandom random((static_cast<float>(pick) + 0.5f) / 11.0f);
    Solver s(random, host);
    std::vector<std::pair<int, int>> listed;
    std::vector<Point> after_first;
    random.before_first = [&] {
      for (int k = 0; k < s.ncross; ++k) {
        listed.emplace_back(s.crossa[k], s.crossb[k]);
      }
    };
    random.before_second = [&] { after_first = tour_of(s); };
    set_tour(s, heptagram());
    s.type = 0;
    s.majiwaruka();
    EXPECT_EQ(listed, first_eleven);
    if (random.draws == 1) {
      after_first = tour_of(s);
    }
    auto expected = heptagram();
    const auto [a, b] = first_eleven[static_cast<std::size_t>(pick)];
    std::swap(expected[static_cast<std::size_t>(a)], expected[static_cast<std::size_t>(b)]);
    EXPECT_EQ(after_first, expected);
    EXPECT_EQ(s.ncross, 0);
  }
}

TEST_F(Moves, MajiwarukaGivesUpAfterItsExchangeLimit) {
  // The second and third points coincide, so the first and last edges touch in the orientation
  // that counts as a crossing; exchanging two equal points changes nothing, for ever.
  random = ScriptedRandom({0.3f});
  set_tour(s, {{0, 0}, {10, 0}, {10, 0}, {10, 10}});
  s.type = 1;
  s.Solver::majiwaruka();
  EXPECT_EQ(random.draws, static_cast<std::size_t>(Solver::kMaxCrossingExchanges));
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {10, 0}, {10, 10}}));
}

// --- renzoku4ten ----------------------------------------------------------------------------

TEST_F(Moves, Renzoku4tenExchangesTheMiddleOfAStrictlyShorterWindowOnly) {
  set_tour(s, {{0, 0}, {20, 0}, {10, 0}, {30, 0}});
  s.type = 1;
  s.bestd = Solver::kResetBestd;
  s.renzoku4ten();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {20, 0}, {30, 0}}));
  EXPECT_EQ(s.calls, (std::vector<std::string>{"hantei", "majiwaruka", "hantei"}));
  EXPECT_EQ(s.settled, 1);

  s.calls.clear();  // both paths equally long
  set_tour(s, {{0, 0}, {5, 5}, {5, -5}, {10, 0}});
  s.renzoku4ten();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {5, 5}, {5, -5}, {10, 0}}));
  EXPECT_EQ(s.calls, (std::vector<std::string>{"majiwaruka", "hantei"}));
}

TEST_F(Moves, Renzoku4tenWindowsWrapInAClosedTour) {
  struct Case {
    std::vector<Point> tour;
    int p1, p2;  // the first exchange
  };
  const Case cases[] = {
      // Six points whose first improving window starts at position 4 or 5.
      {{{8, 20}, {11, 13}, {11, 5}, {14, 11}, {10, 16}, {4, 16}}, 5, 0},
      {{{13, 13}, {18, 20}, {17, 11}, {14, 4}, {5, 19}, {12, 18}}, 0, 1},
      // Four points: windows (2,3,0,1) and (3,0,1,2) compare the same edges as windows (0,1,2,3)
      // and (1,2,3,0), summed in another order, so only a near-tie in the last bit lets them
      // be the first to improve.
      {{{41, 19}, {50, 83}, {6, 9}, {68, -7.6584510345606605}}, 3, 0},
      {{{15, 28}, {80, 80}, {74, 7}, {73, 8.546204924672596}}, 0, 1},
  };
  for (const auto& c : cases) {
    s.measured.clear();
    set_tour(s, c.tour);
    s.type = 0;
    s.bestd = Solver::kResetBestd;
    s.renzoku4ten();
    auto expected = c.tour;
    std::swap(expected[static_cast<std::size_t>(c.p1)], expected[static_cast<std::size_t>(c.p2)]);
    ASSERT_FALSE(s.measured.empty());
    EXPECT_EQ(s.measured.front(), expected) << "first exchange " << c.p1 << "," << c.p2;
  }
}

TEST_F(Moves, Renzoku4tenTakesTheFirstImprovementAndStartsOver) {
  // Windows 0 and 3 both improve; window 0 goes first, and the new search starts at 0 again.
  set_letters(s, "acbdfeg");
  for (int i = 0; i < s.n; ++i) {
    s.x[i] *= 10;
  }
  s.type = 1;
  s.bestd = Solver::kResetBestd;
  s.renzoku4ten();
  ASSERT_EQ(s.measured.size(), 3u);
  EXPECT_EQ(s.measured[0][1].x, 10);  // b moved first
  EXPECT_EQ(s.measured[0][4].x, 50);  // f not yet
  EXPECT_EQ(s.measured[1][4].x, 40);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"hantei", "hantei", "majiwaruka", "hantei"}));
}

// --- saisyo / saigo -------------------------------------------------------------------------

TEST_F(Moves, SaisyoAndSaigoExchangeAnEndWhenStrictlyShorter) {
  set_tour(s, {{10, 0}, {0, 0}, {20, 0}, {30, 0}});
  s.type = 1;
  s.bestd = Solver::kResetBestd;
  s.saisyo();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {20, 0}, {30, 0}}));
  EXPECT_EQ(s.calls, (std::vector<std::string>{"hantei", "majiwaruka", "hantei"}));

  s.calls.clear();
  set_tour(s, {{-10, 0}, {0, 0}, {20, 0}, {10, 0}});
  s.saigo();
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{-10, 0}, {0, 0}, {10, 0}, {20, 0}}));
  EXPECT_EQ(s.calls, (std::vector<std::string>{"hantei", "majiwaruka", "hantei"}));
}

TEST_F(Moves, SaisyoAndSaigoLeaveTiesAndGoodEndsAlone) {
  set_tour(s, {{0, 10}, {0, -10}, {10, 0}, {30, 0}});
  s.type = 1;
  s.saisyo();
  set_tour(s, {{-30, 0}, {10, 0}, {0, 10}, {0, -10}});
  s.saigo();
  set_tour(s, {{0, 0}, {10, 0}, {20, 0}, {30, 0}});
  s.saisyo();
  s.saigo();
  EXPECT_TRUE(s.calls.empty());
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(tour_of(s), (std::vector<Point>{{0, 0}, {10, 0}, {20, 0}, {30, 0}}));
}

// --- ten1, ten2, ten2b ----------------------------------------------------------------------

struct Relocation {
  const char* move;
  std::int16_t type;
  const char* start;
  std::vector<std::string> candidates;
  const char* end;
};

TEST_F(Moves, RelocationsMeasureExactlyTheseCandidates) {
  const Relocation cases[] = {
      {"ten1",
       0,
       "abcd",
       {"abcd", "bacd", "bcad", "cbad", "bcad", "bacd", "cbad", "bcad", "bacd", "dbac", "bdac",
        "badc"},
       "badc"},
      {"ten1",
       1,
       "abcd",
       {"abcd", "bacd", "bcad", "cbad", "bcad", "bacd", "cbad", "bcad", "bacd", "dbac", "bdac",
        "badc"},
       "badc"},
      {"ten1", 2, "abcd", {"abcd", "acbd", "abcd", "acbd", "adcb", "acdb"}, "acdb"},
      {"ten1", 3, "abcd", {"abcd", "acbd"}, "acbd"},
      {"ten2", 0, "abcd", {"abcd", "cabd", "abcd", "cabd", "bdca", "cbda"}, "cbda"},
      {"ten2b", 0, "abcd", {"bacd", "cbad", "abcd", "cabd", "dbca", "cdba"}, "cdba"},
      {"ten2", 1, "abcd", {"abcd", "cabd", "abcd", "cabd", "bdca", "cbda"}, "cbda"},
      {"ten2", 2, "abcd", {"abcd", "acdb"}, "acdb"},
      {"ten2b", 2, "abcd", {"acbd", "adbc"}, "adbc"},
      {"ten2", 3, "abcde", {"abcde", "acdbe"}, "acdbe"},
      {"ten2b", 3, "abcde", {"acbde", "adbce"}, "adbce"},
      {"ten2", 3, "abcd", {}, "abcd"},
      {"ten2b", 3, "abcd", {}, "abcd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.move << " type " << c.type << " " << c.start);
    s.words.clear();
    set_letters(s, c.start);
    s.type = c.type;
    s.bestd = 0;  // nothing is taken: x/y keep the last candidate
    const std::string move = c.move;
    if (move == "ten1") {
      s.ten1();
    } else if (move == "ten2") {
      s.ten2();
    } else {
      s.ten2b();
    }
    EXPECT_EQ(s.words, c.candidates);
    EXPECT_EQ(letters(s), c.end);
    EXPECT_EQ(s.counter2, 0);
  }
}

}  // namespace
}  // namespace rovanel::testing
