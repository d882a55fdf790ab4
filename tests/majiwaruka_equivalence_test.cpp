// The solver's crossing removal against the plain full rescan it replaced, at both lane widths:
// the same lists in the same order, the same draws, the same exchanges, the same tours.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "reference/plain_majiwaruka.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

// Draws from a seeded generator and writes down, at every draw, the crossing list and the tour.
struct ListingRandom final : RandomSource {
  explicit ListingRandom(std::uint32_t seed) : source(seed) {}
  float next() override {
    log.push_back(solver->ncross);
    for (int k = 0; k < solver->ncross; ++k) {
      log.push_back(solver->crossa[k]);
      log.push_back(solver->crossb[k]);
    }
    for (int i = 0; i < solver->n; ++i) {
      log.push_back(solver->x[i]);
    }
    return source.next();
  }
  Mt19937Source source;
  const Solver* solver = nullptr;
  std::vector<double> log;
};

using Run = std::function<void(Solver&)>;

template <class S>
std::vector<double> listing(std::uint32_t seed, const Run& run) {
  ListingRandom random(seed);
  QuietHost host;
  S s(random, host);
  random.solver = &s;
  host.solver = &s;
  run(s);
  for (const Point& p : tour_of(s)) {
    random.log.insert(random.log.end(), {p.x, p.y});
  }
  return random.log;
}

void expect_same(std::uint32_t seed, const Run& run) {
  const auto plain = listing<reference::PlainMajiwaruka>(seed, run);
  const bool wide = Solver::wide_lanes;  // as the processor allows
  Solver::wide_lanes = false;
  const auto two = listing<Solver>(seed, run);
  Solver::wide_lanes = wide;
  const auto four = wide ? listing<Solver>(seed, run) : plain;
  ASSERT_EQ(two, plain) << "two lanes";
  ASSERT_EQ(four, plain) << "four lanes";
}

Run remove_crossings(const std::vector<Point>& points, std::int16_t type) {
  return [points, type](Solver& s) {
    set_tour(s, points);
    s.type = type;
    s.majiwaruka();
  };
}

// Random tours, and grid tours (collinear edges, touching ends, equal lengths: the crossing test's
// asymmetries); the wide grid lies beyond any screen, where the test's own divisions are used.
TEST(MajiwarukaEquivalence, RandomAndGridToursOfEverySizeAndType) {
  Mt19937Source random(77);
  for (int n = 4; n <= 49; ++n) {
    for (std::int16_t type = 0; type <= 3; ++type) {
      SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type);
      const auto seed = static_cast<std::uint32_t>(n * 10 + type);
      for (int k = 0; k < 3; ++k) {
        expect_same(seed + k, remove_crossings(random_points(random, n), type));
      }
      for (const double step : {10.0, 1e9}) {
        if (n > 36) {
          break;
        }
        std::set<std::pair<int, int>> used;
        std::vector<Point> tour;
        while (static_cast<int>(tour.size()) < n) {
          const int gx = static_cast<int>(random.next() * 7);
          const int gy = static_cast<int>(random.next() * 7);
          if (used.insert({gx, gy}).second) {
            tour.push_back({step * gx, step * gy});
          }
        }
        expect_same(seed, remove_crossings(tour, type));
      }
    }
  }
}

// The whole schedule, which restarts crossing removal from the same start tour again and again.
TEST(MajiwarukaEquivalence, WholeProblemsDrawAndExchangeIdentically) {
  for (std::int16_t type = 0; type <= 3; ++type) {
    for (std::int16_t n : {5, 12, 18}) {
      SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type);
      expect_same(static_cast<std::uint32_t>(100 * n + type), [n, type](Solver& s) {
        s.force_problem(n, type);
        s.run();
      });
    }
  }
}

}  // namespace
}  // namespace rovanel::testing
