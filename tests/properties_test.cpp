#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support.hpp"

namespace rovanel::testing {
namespace {

// Counts the draws taken inside crossing removal, the only procedure besides inijunban that
// draws.
class DrawProbe : public Solver {
 public:
  DrawProbe(CountingRandom& random, DriverHost& host) : Solver(random, host), random_(random) {}
  void majiwaruka() override {
    const auto before = random_.draws;
    Solver::majiwaruka();
    majiwaruka_draws += random_.draws - before;
  }
  std::size_t majiwaruka_draws = 0;

 private:
  CountingRandom& random_;
};

std::vector<Point> sorted(std::vector<Point> v) {
  std::sort(v.begin(), v.end(),
            [](const Point& a, const Point& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
  return v;
}

bool any_tested_pair_crosses(const TourState& s) {
  const int l = s.type <= 0 ? s.n : s.n - 1;
  for (int i = 0; i <= l - 3; ++i) {
    for (int j = i + 2; j <= l - 1; ++j) {
      const int j1 = j == s.n - 1 ? 0 : j + 1;
      if (Solver::majiwaru(s.x[i], s.y[i], s.x[i + 1], s.y[i + 1], s.x[j], s.y[j], s.x[j1],
                           s.y[j1]) == 1) {
        return true;
      }
    }
  }
  return false;
}

struct Operation {
  const char* name;
  std::function<void(Solver&)> call;
  bool draws;  // may draw outside crossing removal
};

TEST(Properties, EveryOperationKeepsThePointsTheFixedEndsAndItsDrawCount) {
  const Operation operations[] = {
      {"inijunban", [](Solver& s) { s.inijunban(); }, true},
      {"nearest", [](Solver& s) { s.nearest(); }, false},
      {"majiwaruka", [](Solver& s) { s.majiwaruka(); }, false},
      {"hantei", [](Solver& s) { s.hantei(); }, false},
      {"renzoku4ten", [](Solver& s) { s.renzoku4ten(); }, false},
      {"saisyo", [](Solver& s) { s.saisyo(); }, false},
      {"saigo", [](Solver& s) { s.saigo(); }, false},
      {"ten1", [](Solver& s) { s.ten1(); }, false},
      {"ten2", [](Solver& s) { s.ten2(); }, false},
      {"ten2b", [](Solver& s) { s.ten2b(); }, false},
  };
  RecordingHost host;
  for (int n = 4; n <= 49; ++n) {
    for (std::int16_t type = 0; type <= 3; ++type) {
      SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type);
      CountingRandom random(static_cast<std::uint32_t>(1000 * n + type));
      DrawProbe s(random, host);
      s.n = static_cast<std::int16_t>(n);
      s.type = type;
      for (int i = 0; i < n; ++i) {
        s.x[i] = 15 + random.next() * 1890.0;
        s.y[i] = 15 + random.next() * 1050.0;
      }
      s.bestd = Solver::kResetBestd;
      for (const auto& op : operations) {
        SCOPED_TRACE(op.name);
        const std::string name = op.name;
        // The end-point moves only run for open paths, as the driver calls them.
        if ((name == "saisyo" && type != 1) || (name == "saigo" && type != 1 && type != 2) ||
            (name == "nearest" && type >= 2)) {
          continue;
        }
        const auto before = tour_of(s);
        const bool crossed = any_tested_pair_crosses(s);
        random.draws = 0;
        s.majiwaruka_draws = 0;
        op.call(s);
        const auto after = tour_of(s);
        ASSERT_EQ(sorted(after), sorted(before));
        // Fixed by the type, and kept by these operations whatever the type.
        const bool open_ends_kept = type >= 1 && (name == "majiwaruka" || name == "renzoku4ten");
        const bool first_fixed =
            type >= 2 || open_ends_kept || name == "majiwaruka" || name == "nearest";
        if (first_fixed) {
          ASSERT_EQ(after.front(), before.front());
        }
        const bool last_fixed = type == 3 || open_ends_kept;
        if (last_fixed) {
          ASSERT_EQ(after.back(), before.back());
        }
        if (name == "hantei") {
          ASSERT_EQ(after, before);
        }
        if (name == "inijunban") {
          const auto range = s.movable_range();
          ASSERT_EQ(random.draws, static_cast<std::size_t>(range.hi - range.lo));
        } else {
          ASSERT_EQ(random.draws, s.majiwaruka_draws);
        }
        if (name == "majiwaruka") {
          ASSERT_EQ(random.draws > 0, crossed);
          ASSERT_FALSE(any_tested_pair_crosses(s));
          ASSERT_EQ(s.ncross, 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace rovanel::testing
