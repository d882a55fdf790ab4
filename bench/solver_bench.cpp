// Solver benchmarks: measurement, crossing removal and whole problems, compute only. Crossing
// removal and whole problems run twice: with the solver's own crossing removal and with the
// plain full rescan it replaced, the baseline of the ratios.
#include <benchmark/benchmark.h>

#include <vector>

#include "reference/plain_majiwaruka.hpp"
#include "solver/solver.hpp"
#include "support.hpp"

namespace rovanel {
namespace {

// Stops the driver after its first problem; draws nothing.
struct ComputeOnlyHost final : testing::QuietHost {
  ComputeOnlyHost() { screen = {1920, 1080}; }
};

// Random tours of n points on a 1920 x 1080 screen, in generation order (many crossings).
std::vector<std::vector<double>> random_tours(int n, int count) {
  Mt19937Source random(12345);
  std::vector<std::vector<double>> tours;
  for (int t = 0; t < count; ++t) {
    std::vector<double> xy;
    for (int i = 0; i < n; ++i) {
      xy.push_back(random.next() * 1890.0 + 15.0);
      xy.push_back(random.next() * 1050.0 + 15.0);
    }
    tours.push_back(xy);
  }
  return tours;
}

void load(Solver& s, const std::vector<double>& xy) {
  s.n = static_cast<std::int16_t>(xy.size() / 2);
  for (int i = 0; i < s.n; ++i) {
    s.x[i] = xy[2 * static_cast<std::size_t>(i)];
    s.y[i] = xy[2 * static_cast<std::size_t>(i) + 1];
  }
}

void BM_hantei(benchmark::State& state) {
  Mt19937Source random(1);
  ComputeOnlyHost host;
  Solver s(random, host);
  load(s, random_tours(49, 1)[0]);
  s.type = static_cast<std::int16_t>(state.range(0));
  s.bestd = 0;  // measure only, never take
  for (auto _ : state) {
    s.hantei();
    benchmark::DoNotOptimize(s.curd);
  }
}
BENCHMARK(BM_hantei)->Arg(0)->Arg(1);

using Plain = reference::PlainMajiwaruka;

// The solver's crossing removal two lanes wide, as on processors without AVX2.
class Narrow final : public Solver {
 public:
  using Solver::Solver;
  void majiwaruka() override {
    const bool wide = wide_lanes;
    wide_lanes = false;
    Solver::majiwaruka();
    wide_lanes = wide;
  }
};

template <class S>
void BM_majiwaruka(benchmark::State& state) {
  const auto tours = random_tours(49, 64);
  Mt19937Source random(2);
  ComputeOnlyHost host;
  S s(random, host);
  s.type = static_cast<std::int16_t>(state.range(0));
  std::size_t k = 0;
  for (auto _ : state) {
    load(s, tours[k++ % tours.size()]);
    s.majiwaruka();
    benchmark::DoNotOptimize(s.x[0]);
  }
}
BENCHMARK(BM_majiwaruka<Solver>)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_majiwaruka<Narrow>)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_majiwaruka<Plain>)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The tours the schedule itself hands to crossing removal: every 10th call of one problem.
struct Recorded {
  std::int16_t type;
  std::vector<double> xy;
};

class RecordingSolver final : public Solver {
 public:
  using Solver::Solver;
  void majiwaruka() override {
    if (calls_++ % 10 == 0) {
      Recorded r{type, {}};
      for (int i = 0; i < n; ++i) {
        r.xy.push_back(x[i]);
        r.xy.push_back(y[i]);
      }
      tours.push_back(r);
    }
    Solver::majiwaruka();
  }
  std::vector<Recorded> tours;

 private:
  long calls_ = 0;
};

const std::vector<Recorded>& schedule_tours(std::int16_t type) {
  static std::vector<Recorded> by_type[4];
  auto& tours = by_type[type];
  if (tours.empty()) {
    Mt19937Source random(42);
    ComputeOnlyHost host;
    RecordingSolver s(random, host);
    host.solver = &s;
    s.force_problem(49, type);
    s.run();
    tours = s.tours;
  }
  return tours;
}

template <class S>
void BM_majiwaruka_schedule(benchmark::State& state) {
  const auto& tours = schedule_tours(static_cast<std::int16_t>(state.range(0)));
  Mt19937Source random(7);
  ComputeOnlyHost host;
  S s(random, host);
  std::size_t k = 0;
  for (auto _ : state) {
    const Recorded& r = tours[k++ % tours.size()];
    s.type = r.type;
    load(s, r.xy);
    s.majiwaruka();
    benchmark::DoNotOptimize(s.x[0]);
  }
}
BENCHMARK(BM_majiwaruka_schedule<Solver>)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_majiwaruka_schedule<Narrow>)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_majiwaruka_schedule<Plain>)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

template <class S>
void BM_problem49(benchmark::State& state) {
  const auto type = static_cast<std::int16_t>(state.range(0));
  std::uint32_t seed = 1;
  for (auto _ : state) {
    Mt19937Source random(seed++);
    ComputeOnlyHost host;
    S s(random, host);
    host.solver = &s;
    s.force_problem(49, type);
    s.run();
    benchmark::DoNotOptimize(s.bestd);
  }
}
BENCHMARK(BM_problem49<Solver>)->DenseRange(0, 3)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_problem49<Plain>)->DenseRange(0, 3)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace rovanel
