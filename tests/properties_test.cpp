// Every procedure on random tours of every size and type: the points stay the same, fixed ends
// stay put, draws happen only where they may, and crossing removal leaves no tested pair
// crossing. The sanitizer build's wide cover of the solver.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "reference/plain_majiwaruka.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

struct Counting final : RandomSource {
  explicit Counting(std::uint32_t seed) : source(seed) {}
  float next() override {
    ++draws;
    return source.next();
  }
  std::size_t draws = 0;
  Mt19937Source source;
};

// Counts the draws taken inside crossing removal.
struct DrawProbe : Solver {
  DrawProbe(Counting& r, DriverHost& host) : Solver(r, host), random(r) {}
  void majiwaruka() override {
    const auto before = random.draws;
    Solver::majiwaruka();
    majiwaruka_draws += random.draws - before;
  }
  std::size_t majiwaruka_draws = 0;
  Counting& random;
};

std::vector<Point> sorted(std::vector<Point> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// Whether a pair of edges that crossing removal tests crosses: the plain rescan draws only then.
bool any_tested_pair_crosses(const TourState& s) {
  ScriptedRandom random;
  QuietHost host;
  reference::PlainMajiwaruka plain(random, host);
  static_cast<TourState&>(plain) = s;
  plain.majiwaruka();
  return random.draws > 0;
}

TEST(Properties, EveryProcedureKeepsThePointsTheFixedEndsAndItsDraws) {
  const std::pair<const char*, std::function<void(Solver&)>> procedures[] = {
      {"inijunban", &Solver::inijunban},
      {"nearest", &Solver::nearest},
      {"majiwaruka", [](Solver& s) { s.majiwaruka(); }},
      {"hantei", [](Solver& s) { s.hantei(); }},
      {"renzoku4ten", &Solver::renzoku4ten},
      {"saisyo", &Solver::saisyo},
      {"saigo", &Solver::saigo},
      {"ten1", &Solver::ten1},
      {"ten2", &Solver::ten2},
      {"ten2b", &Solver::ten2b},
  };
  QuietHost host;
  for (int n = 4; n <= 49; ++n) {
    for (std::int16_t type = 0; type <= 3; ++type) {
      SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type);
      Counting random(static_cast<std::uint32_t>(1000 * n + type));
      DrawProbe s(random, host);
      set_tour(s, random_points(random.source, n));
      s.type = type;
      s.bestd = Solver::kResetBestd;
      for (const auto& [name_text, call] : procedures) {
        const std::string name = name_text;
        SCOPED_TRACE(name);
        // The driver runs these only for the types below.
        if ((name == "saisyo" && type != 1) || (name == "saigo" && type != 1 && type != 2) ||
            (name == "nearest" && type >= 2)) {
          continue;
        }
        const auto before = tour_of(s);
        const bool crossed = any_tested_pair_crosses(s);
        random.draws = 0;
        s.majiwaruka_draws = 0;
        call(s);
        const auto after = tour_of(s);
        ASSERT_EQ(sorted(after), sorted(before));
        // Fixed by the type, and kept by these procedures whatever the type.
        const bool open_ends_kept = type >= 1 && (name == "majiwaruka" || name == "renzoku4ten");
        if (type >= 2 || open_ends_kept || name == "majiwaruka" || name == "nearest") {
          ASSERT_EQ(after.front(), before.front());
        }
        if (type == 3 || open_ends_kept) {
          ASSERT_EQ(after.back(), before.back());
        }
        if (name == "hantei") {
          ASSERT_EQ(after, before);
        }
        const auto range = s.movable_range();
        ASSERT_EQ(random.draws, name == "inijunban" ? static_cast<std::size_t>(range.hi - range.lo)
                                                    : s.majiwaruka_draws);
        if (name == "majiwaruka") {
          ASSERT_EQ(random.draws > 0, crossed);
          ASSERT_FALSE(any_tested_pair_crosses(s));
        }
      }
    }
  }
}

}  // namespace
}  // namespace rovanel::testing
