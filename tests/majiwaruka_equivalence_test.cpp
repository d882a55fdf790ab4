// The solver's crossing removal against the plain full rescan it replaced: the same lists in the
// same order, the same draws, the same exchanges, the same tours.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "reference/plain_majiwaruka.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

// Draws from a seeded generator and writes down, at every draw, the crossing list and the tour
// the solver has at that moment.
class ListingRandom final : public RandomSource {
 public:
  explicit ListingRandom(std::uint32_t seed) : source_(seed) {}
  float next() override {
    std::ostringstream entry;
    entry << solver->ncross << ":";
    for (int k = 0; k < solver->ncross; ++k) {
      entry << " " << solver->crossa[k] << "-" << solver->crossb[k];
    }
    for (int i = 0; i < solver->n; ++i) {
      entry << " " << solver->x[i];
    }
    log.push_back(entry.str());
    return source_.next();
  }
  const Solver* solver = nullptr;
  std::vector<std::string> log;

 private:
  Mt19937Source source_;
};

struct Outcome {
  std::vector<std::string> log;
  std::vector<Point> tour;
};

template <class S>
Outcome remove_crossings(const std::vector<Point>& points, std::int16_t type, std::uint32_t seed) {
  ListingRandom random(seed);
  QuietHost host;
  S s(random, host);
  random.solver = &s;
  set_tour(s, points);
  s.type = type;
  s.majiwaruka();
  return {random.log, tour_of(s)};
}

// Both widths of the solver's crossing removal against the plain one.
void expect_same(const std::vector<Point>& points, std::int16_t type, std::uint32_t seed) {
  const Outcome plain = remove_crossings<reference::PlainMajiwaruka>(points, type, seed);
  const bool wide = Solver::wide_lanes;
  for (const bool lanes : {false, true}) {
    Solver::wide_lanes = lanes;
    const Outcome fast = remove_crossings<Solver>(points, type, seed);
    Solver::wide_lanes = wide;
    ASSERT_EQ(fast.log.size(), plain.log.size()) << "draws, wide lanes " << lanes;
    for (std::size_t k = 0; k < fast.log.size(); ++k) {
      ASSERT_EQ(fast.log[k], plain.log[k]) << "repetition " << k << ", wide lanes " << lanes;
    }
    ASSERT_EQ(fast.tour, plain.tour) << "wide lanes " << lanes;
  }
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
// lengths; where the crossing test's asymmetries show. The wide grid is far beyond any screen,
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

// The whole schedule with either crossing removal: every improvement the same.
class ImprovementLog final : public QuietHost {
 public:
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
  const bool wide = Solver::wide_lanes;
  for (const bool lanes : {false, true}) {
    Solver::wide_lanes = lanes;
    for (std::int16_t type = 0; type <= 3; ++type) {
      for (std::int16_t n : {5, 12, 18}) {
        SCOPED_TRACE(::testing::Message() << "n=" << n << " type=" << type << " wide " << lanes);
        const auto seed = static_cast<std::uint32_t>(100 * n + type);
        EXPECT_EQ(one_problem<Solver>(seed, n, type),
                  one_problem<reference::PlainMajiwaruka>(seed, n, type));
      }
    }
  }
  Solver::wide_lanes = wide;
}

}  // namespace
}  // namespace rovanel::testing
