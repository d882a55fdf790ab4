#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "support.hpp"

namespace rovanel::testing {
namespace {

// The driver's schedule alone: every procedure only logs its name next to the host's calls.
class ScheduleSolver : public Solver {
 public:
  ScheduleSolver(RandomSource& random, RecordingHost& host) : Solver(random, host), host_(host) {}
  void inijunban() override { host_.log("inijunban"); }
  void nearest() override { host_.log("nearest"); }
  void majiwaruka() override { host_.log("majiwaruka"); }
  void hantei() override { host_.log("hantei"); }
  void renzoku4ten() override { host_.log("renzoku4ten"); }
  void saisyo() override { host_.log("saisyo"); }
  void saigo() override { host_.log("saigo"); }
  void ten1() override { host_.log("ten1"); }
  void ten2() override { host_.log("ten2"); }
  void ten2b() override { host_.log("ten2b"); }

 private:
  RecordingHost& host_;
};

// A draw that makes the driver choose n points.
float draw_for_n(int n) {
  return (static_cast<float>(n - 4) + 0.5f) / 46.0f;
}

// The draws of one problem: n, the points, the label, the type and the bar offsets.
std::vector<float> problem_draws(int n, int type) {
  std::vector<float> v{draw_for_n(n)};
  v.insert(v.end(), static_cast<std::size_t>(2 * n), 0.5f);
  v.push_back(0.25f);
  v.push_back((static_cast<float>(type) + 0.5f) / 4.0f);
  v.push_back(0.0f);
  v.push_back(0.999f);
  return v;
}

std::vector<std::string> between(const std::vector<std::string>& calls, std::size_t from,
                                 std::size_t to) {
  return {calls.begin() + static_cast<std::ptrdiff_t>(from),
          calls.begin() + static_cast<std::ptrdiff_t>(to)};
}

// Runs the driver until the given yield sets the stop flag.
struct StoppedRun {
  StoppedRun(std::vector<float> draws, long stop_at_yield) : random(std::move(draws)) {
    host.stop_at_yield = stop_at_yield;
    host.log_yields = true;
    solver.run();
  }
  ScriptedRandom random;
  RecordingHost host;
  ScheduleSolver solver{random, host};
};

// Yields of the first problem before the top of iteration k: the problem's own, then one at the
// top of each iteration and n before each of its 4n passes.
long yields_before_iteration(int n, int k) {
  return 1 + static_cast<long>(k) * (1 + 4 * n * n);
}

TEST(Driver, StartsTheWindowThenRunsIterationsOfTheSchedule) {
  for (int type : {0, 1, 2, 3}) {
    SCOPED_TRACE(type);
    const int n = 5;
    // One whole iteration, then a stop at the top of the next.
    StoppedRun run(problem_draws(n, type), yields_before_iteration(n, 1) + 1);
    const auto& calls = run.host.calls;
    EXPECT_EQ(between(calls, 0, 4),
              (std::vector<std::string>{"show", "start_saver", "redraw_now", "yield"}));
    EXPECT_EQ(run.solver.maxiter, 50);
    EXPECT_EQ(run.solver.n, n);
    EXPECT_EQ(run.solver.type, type);

    std::map<std::string, long> counts;
    for (auto it = std::find(calls.begin(), calls.end(), "place_label"); it != calls.end(); ++it) {
      ++counts[*it];
    }
    const long passes = 4 * n;
    EXPECT_EQ(counts["yield"], 1 + passes * n + 1);
    EXPECT_EQ(counts["hantei"], 4 * n + 6);
    EXPECT_EQ(counts["majiwaruka"], 4 * n + 3);
    EXPECT_EQ(counts["renzoku4ten"], passes);
    EXPECT_EQ(counts["inijunban"], 1);
    EXPECT_EQ(counts["nearest"], type < 2 ? 1 : 0);
    EXPECT_EQ(counts["saisyo"], type == 1 ? passes : 0);
    EXPECT_EQ(counts["saigo"], type == 1 || type == 2 ? passes : 0);
    EXPECT_EQ(counts["ten1"] + counts["ten2"] + counts["ten2b"], 3);
    EXPECT_EQ(counts["repaint"], 1);
  }
}

TEST(Driver, OnePassAndTheBestTourBlocksInOrder) {
  const int n = 4;
  StoppedRun run(problem_draws(n, 1), yields_before_iteration(n, 1) + 1);
  const auto& calls = run.host.calls;
  const auto first = std::find(calls.begin(), calls.end(), "place_label") - calls.begin();
  // After the label: the top yield, the repaint of iteration 0, the start tour, then the passes.
  const std::vector<std::string> head = {
      "place_label", "yield",      "repaint", "inijunban",   "nearest", "yield", "yield", "yield",
      "yield",       "majiwaruka", "hantei",  "renzoku4ten", "saisyo",  "saigo", "yield"};
  EXPECT_EQ(between(calls, static_cast<std::size_t>(first),
                    static_cast<std::size_t>(first) + head.size()),
            head);
  const auto tail_start = std::find(calls.begin(), calls.end(), "ten1") - calls.begin() - 1;
  const std::vector<std::string> tail = {
      "saigo",      "ten1",   "hantei", "majiwaruka", "hantei",     "ten2",   "hantei",
      "majiwaruka", "hantei", "ten2b",  "hantei",     "majiwaruka", "hantei", "yield"};
  EXPECT_EQ(between(calls, static_cast<std::size_t>(tail_start),
                    static_cast<std::size_t>(tail_start) + tail.size()),
            tail);
}

TEST(Driver, RepaintCadenceFollowsTheProblemSize) {
  const std::map<int, std::vector<int>> expected = {
      {9, {0, 10, 20, 30, 40, 50}},
      {10, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48}},
      {20, {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48}},
  };
  for (int n : {9, 10, 20, 21}) {
    SCOPED_TRACE(n);
    struct IterHost : RecordingHost {
      const Solver* solver = nullptr;
      std::vector<int> repaint_iters;
      void repaint() override { repaint_iters.push_back(solver->iter); }
    };
    ScriptedRandom random(problem_draws(n, 3));
    IterHost host;
    ScheduleSolver solver(random, host);
    host.solver = &solver;
    host.stop_at_yield = yields_before_iteration(n, 51) + 1;  // the top of the second problem
    solver.run();
    // The first repaint is the one after generation, with iter still 0 (the first problem).
    ASSERT_FALSE(host.repaint_iters.empty());
    const std::vector<int> driver_repaints(host.repaint_iters.begin() + 1,
                                           host.repaint_iters.end());
    if (n == 21) {
      EXPECT_EQ(driver_repaints.size(), 51u);
    } else {
      EXPECT_EQ(driver_repaints, expected.at(n));
    }
  }
}

TEST(Driver, DrawsProblemsInTheirOrderAndKeepsPointsInsideTheMargins) {
  const float top = 0x1.fffffep-1f;  // the largest draw, 1 - 2^-24
  ScriptedRandom random({draw_for_n(49), top});
  RecordingHost host;
  host.screen = {1920, 1080};
  host.stop_at_yield = 2;
  ScheduleSolver solver(random, host);
  solver.run();
  EXPECT_EQ(solver.n, 49);
  EXPECT_EQ(random.draws, 1u + 2 * 49 + 1 + 1 + 2);
  for (int i = 0; i < 49; ++i) {
    EXPECT_LT(solver.x[i], 1920 - 15);
    EXPECT_LT(solver.y[i], 1080 - 15);
    EXPECT_EQ(solver.orgx[i], solver.x[i]);
  }
  EXPECT_EQ(solver.type, 3);
  EXPECT_EQ(solver.barx, 49);
  EXPECT_EQ(host.label_top, 0.0f);
  EXPECT_FLOAT_EQ(host.label_left, 100.0f * top);

  ScriptedRandom low({0.0f});
  RecordingHost host2;
  host2.stop_at_yield = 2;
  ScheduleSolver solver2(low, host2);
  solver2.run();
  EXPECT_EQ(solver2.n, 4);
  EXPECT_EQ(solver2.x[0], 15.0);
  EXPECT_EQ(solver2.y[3], 15.0);
}

TEST(Driver, ForcedSizeAndTypeStillTakeTheirDraws) {
  ScriptedRandom random(problem_draws(30, 0));
  RecordingHost host;
  host.stop_at_yield = 2;
  ScheduleSolver solver(random, host);
  solver.force_problem(7, 3);
  solver.run();
  EXPECT_EQ(solver.n, 7);
  EXPECT_EQ(solver.type, 3);
  EXPECT_EQ(random.draws, 1u + 2 * 7 + 4);
}

TEST(Driver, AStopAtAnyYieldLeavesEveryLoopAndShutsDown) {
  const int n = 4;
  // Every yield of a first problem of 4 points, and the first three of the next (49 points).
  for (long stop = 1; stop <= yields_before_iteration(n, 51) + 3; ++stop) {
    StoppedRun run(problem_draws(n, static_cast<int>(stop % 4)), stop);
    const auto& calls = run.host.calls;
    ASSERT_GE(calls.size(), 4u);
    const std::vector<std::string> end(calls.end() - 4, calls.end());
    ASSERT_EQ(end, (std::vector<std::string>{"yield", "clear", "hide", "unload"}))
        << "stop at yield " << stop;
    ASSERT_EQ(run.host.yields, stop);
  }
}

}  // namespace
}  // namespace rovanel::testing
