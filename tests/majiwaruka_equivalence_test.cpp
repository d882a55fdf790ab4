// The solver's crossing removal against the plain full rescan it replaced, at both lane widths:
// the same lists in the same order, the same draws, the same exchanges, the same tours.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "reference/plain_majiwaruka.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

// Draws from a seeded generator and writes down, at every draw, the crossing list and the tour.
struct ListingRandom final : RandomSource {
  explicit ListingRandom(std::uint32_t seed) : source(seed) {}
  float next() override {
    std::ostringstream entry;
    for (int k = 0; k < solver->ncross; ++k) {
      entry << solver->crossa[k] << "-" << solver->crossb[k] << " ";
    }
    for (int i = 0; i < solver->n; ++i) {
      entry << solver->x[i] << " ";
    }
    log.push_back(entry.str());
    return source.next();
  }
  Mt19937Source source;
  const Solver* solver = nullptr;
  std::vector<std::string> log;
};

template <class S>
std::vector<std::string> remove_crossings(const std::vector<Point>& points, std::int16_t type,
                                          std::uint32_t seed) {
  ListingRandom random(seed);
  QuietHost host;
  S s(random, host);
  random.solver = &s;
  set_tour(s, points);
  s.type = type;
  s.majiwaruka();
  random.log.push_back(::testing::PrintToString(tour_of(s)));
  return random.log;
}

// Runs f with the solver's crossing removal at each lane width.
template <class F>
void at_both_widths(F f) {
  const bool wide = Solver::wide_lanes;
  for (const bool lanes : {false, true}) {
    Solver::wide_lanes = lanes;
    SCOPED_TRACE(lanes ? "four lanes" : "two lanes");
    f();
  }
  Solver::wide_lanes = wide;
}

void expect_same(const std::vector<Point>& points, std::int16_t type, std::uint32_t seed) {
  const auto plain = remove_crossings<reference::PlainMajiwaruka>(points, type, seed);
  at_both_widths([&] { ASSERT_EQ(remove_crossings<Solver>(points, type, seed), plain); });
}

TEST(MajiwarukaEquivalence, RandomToursOfEverySizeAndType) {
  Mt19937Source points(77);
  for (int n = 4; n <= 49; ++n) {
    for (std::int16_t type = 0; type <= 3; ++type) {
      for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type << " tour " << k);
        expect_same(random_points(points, n), type, static_cast<std::uint32_t>(n * 10 + type + k));
      }
    }
  }
}

// Distinct points of a small grid: many collinear edges, ends touching other edges, equal
// lengths, where the crossing test's asymmetries show. The wide grid is far beyond any screen,
// where crossing removal falls back on the test's own divisions.
TEST(MajiwarukaEquivalence, ToursOnASmallGrid) {
  Mt19937Source random(5);
  for (const double step : {10.0, 1e9}) {
    for (int n = 4; n <= 36; n += 4) {
      for (std::int16_t type = 0; type <= 3; ++type) {
        SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type << " step=" << step);
        std::set<std::pair<int, int>> used;
        std::vector<Point> tour;
        while (static_cast<int>(tour.size()) < n) {
          const int gx = static_cast<int>(random.next() * 7);
          const int gy = static_cast<int>(random.next() * 7);
          if (used.insert({gx, gy}).second) {
            tour.push_back({step * gx, step * gy});
          }
        }
        expect_same(tour, type, static_cast<std::uint32_t>(n + type));
      }
    }
  }
}

// The whole schedule, which restarts crossing removal from the same start tour again and again:
// every improvement the same.
struct ImprovementLog final : QuietHost {
  std::vector<double> improvements;
  void repaint() override { improvements.push_back(solver->bestd); }
};

template <class S>
std::vector<double> one_problem(std::uint32_t seed, std::int16_t n, std::int16_t type) {
  Mt19937Source random(seed);
  ImprovementLog host;
  S s(random, host);
  host.solver = &s;
  s.force_problem(n, type);
  s.run();
  return host.improvements;
}

TEST(MajiwarukaEquivalence, WholeProblemsImproveIdentically) {
  for (std::int16_t type = 0; type <= 3; ++type) {
    for (std::int16_t n : {5, 12, 18}) {
      SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type);
      const auto seed = static_cast<std::uint32_t>(100 * n + type);
      const auto plain = one_problem<reference::PlainMajiwaruka>(seed, n, type);
      at_both_widths([&] { EXPECT_EQ(one_problem<Solver>(seed, n, type), plain); });
    }
  }
}

}  // namespace
}  // namespace rovanel::testing
