// The shell: start-up dispatch as a table, the input rules, and the form driving a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "shell/frm_tsp.hpp"
#include "shell/mdl_tsp.hpp"
#include "shell/seed.hpp"
#include "shell/texts.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

using Calls = std::vector<std::string>;

// A saver window and its surface that write down what the form asks of them; its event pump
// runs a script of input (by default a key at once).
struct RecordingWindow final : SaverWindow, Surface {
  Calls calls;
  long pumps = 0, waits = 0;
  int shapes = 0;
  ScreenSize size{800, 600};
  Damage damage;        // of the last frame
  float bar_right = 0;  // the right end of the red lines drawn
  std::function<void(frmTsp&, long)> on_pump = [](frmTsp& form, long) { form.key_down(); };
  std::function<void()> on_end = [] {};

  Surface& surface() override { return *this; }
  ScreenSize screen_size() override { return size; }
  void show() override { calls.push_back("show"); }
  void hide() override { calls.push_back("hide"); }
  void pump_events(frmTsp& form) override { on_pump(form, ++pumps); }
  void wait_for_events(Pacing::Clock::duration) override { ++waits; }
  void show_cursor(bool visible) override { calls.push_back(visible ? "cursor on" : "cursor off"); }
  void set_screensaver_active() override { calls.push_back("flag on"); }
  void restore_screensaver_active() override { calls.push_back("flag restored"); }
  void end_program() override { calls.push_back("end"); }
  float scale() const override { return 1; }
  Box bounds() const override { return {0, 0, size.width, size.height}; }
  Box text_box(float, float, std::string_view) override { return {}; }
  void begin(const Damage& d) override {
    shapes = 0;
    damage = d;
  }
  void draw(const Shape& shape) override {
    ++shapes;
    bar_right = shape.colour == kRed ? std::max(bar_right, shape.x2) : bar_right;
  }
  void draw_label(const Label&) override {}
  void end(const Damage&) override {
    calls.push_back("present " + std::to_string(shapes));
    on_end();
  }
};

struct RecordingSystem final : WindowSystem {
  bool running = false;
  Calls calls;
  bool previous_instance() override { return running; }
  void message_box(std::string_view text, std::string_view caption) override {
    calls.push_back(std::string(text) + " | " + std::string(caption));
  }
  void load_settings_dialog() override { calls.push_back("settings"); }
  std::unique_ptr<SaverWindow> create_saver_window() override {
    calls.push_back("saver");
    return std::make_unique<RecordingWindow>();
  }
  void end_program() override { calls.push_back("end"); }
  void fatal_error(std::string_view message) override { calls.push_back(std::string(message)); }
};

TEST(MdlTsp, DispatchesOnTheFirstTwoCharactersWhateverTheirCase) {
  const std::string password = std::string(kPasswordMessage) + " | Rovanel";
  const std::string bad_seed = "ROVANEL_SEED: expected a whole number from 0 to 4294967295, got ";
  const std::tuple<const char*, const char*, Calls> cases[] = {
      {"", "", {"settings"}},
      {"", "/c", {"settings"}},
      {"", "/C 472", {"settings"}},
      {"", "/c:472", {"settings"}},
      {"", "/p 472", {"end"}},
      {"", "/a 472", {password, "end"}},
      {"", "/S", {"saver"}},
      {"4294967295", "/x", {"saver"}},
      {"", "abc", {"saver"}},
      {"", "/", {"saver"}},
      {"4294967296", "/s", {bad_seed + "'4294967296'"}},
      {" 7", "-S", {bad_seed + "' 7'"}},
  };
  for (const auto& [seed, arguments, expected] : cases) {
    setenv("ROVANEL_SEED", seed, 1);
    RecordingSystem system, second;
    mdlTsp::main(system, arguments);
    EXPECT_EQ(system.calls, expected) << "'" << arguments << "'";
    second.running = true;
    mdlTsp::main(second, arguments);
    EXPECT_EQ(second.calls, Calls{"end"}) << "second instance, '" << arguments << "'";
  }
  unsetenv("ROVANEL_SEED");
}

// Seeds from the environment, the command line and the page go through one parser: anything but
// a whole number from 0 to 4294967295 is refused, quoted as typed in one short line.
TEST(Seeds, AreReadAlikeAndWhatIsWrongIsQuotedAsTyped) {
  for (const auto& [text, seed] : {std::pair{"0", 0u}, {"77", 77u}, {"4294967295", 4294967295u}}) {
    EXPECT_EQ(seed_of({"?seed", text}), seed);
  }
  const std::pair<std::string, std::string> bad[] = {
      {"", "''"},
      {"4294967296", "'4294967296'"},
      {" 7", "' 7'"},
      {"+7", "'+7'"},
      {"-1", "'-1'"},
      {"7.0", "'7.0'"},
      {std::string("5\0abc", 5), "'5\\x00abc'"},  // a NUL cuts nothing short
      {"\x1b[31m", "'\\x1B[31m'"},                // nor does a terminal's escape act
      {"⑤x", "'⑤x'"},
      {std::string(30, 'x') + std::string(5, '\xE2') + "é" + std::string(60, '9'),
       "'" + std::string(30, 'x') + std::string(5, '\xE2') + "é" + std::string(4, '9') + "…'"},
  };
  for (const auto& [text, shown] : bad) {
    try {
      seed_of({"?seed", text});
      ADD_FAILURE() << text;
    } catch (const SeedError& e) {
      EXPECT_EQ(e.what(), "?seed: expected a whole number from 0 to 4294967295, got " + shown);
    }
  }
}

TEST(FrmTsp, OnlyAMoveToAnotherWholePixelAfterTheFirstStops) {
  RecordingWindow window;
  ScriptedRandom random;
  frmTsp form(window, random);
  form.mouse_move(0, 0);          // a first move at the origin records nothing
  form.mouse_move(10.5f, 20.4f);  // recorded as (10, 20): a half goes to the even neighbour
  form.mouse_move(10.4f, 19.6f);
  form.mouse_move(9.5f, 20.0f);
  EXPECT_EQ(form.solver().quitflag, 0);
  form.mouse_move(11.5f, 20.0f);
  EXPECT_EQ(form.solver().quitflag, -1);
  EXPECT_TRUE(window.calls.empty());
  // Far beyond the 16-bit range a pointer counts at its edge.
  frmTsp far(window, random);
  far.mouse_move(1e9f, -1e9f);
  far.mouse_move(40000.0f, -32768.4f);
  EXPECT_EQ(far.solver().quitflag, 0);
  far.mouse_move(32766.0f, -32768.0f);
  EXPECT_EQ(far.solver().quitflag, -1);
}

TEST(FrmTsp, AStopAtAnyYieldGoesStraightToTheUnload) {
  // Every yield of a first problem of 4 points, and the first three of the next.
  for (long stop = 1; stop <= 1 + 51 * (1 + 4 * 4 * 4) + 3; ++stop) {
    RecordingWindow window;
    window.on_pump = [stop](frmTsp& form, long pump) {
      if (pump == stop) {
        (stop % 2 == 0 ? form.key_down() : form.click());
      }
    };
    ScriptedRandom random({0.0f, 0.3f, 0.6f, 0.9f});
    frmTsp form(window, random, Pacing::unpaced());
    form.solver().force_problem(4, static_cast<std::int16_t>(stop % 4));
    form.load();
    ASSERT_EQ(Calls(window.calls.end() - 5, window.calls.end()),
              (Calls{"present 0", "hide", "flag restored", "cursor on", "end"}))
        << "stop at yield " << stop;
    ASSERT_EQ(window.pumps, stop);
  }
}

TEST(FrmTsp, FramesWaitForTheirTurnOnlyUntilTheSaverStops) {
  RecordingWindow window;
  // Input arrives while a frame waits for its turn (or, on a slow machine, at a later yield).
  window.on_pump = [&window](frmTsp& form, long pump) {
    if (window.waits > 0 || pump > 1000) {
      form.key_down();
    }
  };
  ScriptedRandom random;
  frmTsp form(window, random);
  form.load();
  EXPECT_LE(window.waits, 1);
  EXPECT_EQ(window.calls.back(), "end");
  using namespace std::chrono_literals;
  const auto t0 = Pacing::Clock::time_point{} + 10s;
  for (const auto& [improvement, hold] : {std::pair{false, Pacing::Clock::duration(33334us)},
                                          {true, Pacing::Clock::duration(200ms)}}) {
    Pacing pacing, unpaced = Pacing::unpaced();
    pacing.presented(t0, improvement);
    unpaced.presented(t0, improvement);
    EXPECT_EQ(pacing.frame_wait(t0 + 10ms, false), hold - 10ms);
    EXPECT_EQ(pacing.frame_wait(t0 + hold, false), 0s);
    EXPECT_EQ(pacing.frame_wait(t0 + 10ms, true), 0s);
    EXPECT_EQ(unpaced.frame_wait(t0, false), 0s);
  }
  Pacing pacing;
  EXPECT_TRUE(pacing.pump_due(t0));
  EXPECT_FALSE(pacing.pump_due(t0 + 999us));
}

// A window grown under the show: its frame is drawn whole at once, the pointer's place is
// recorded anew, and the next problem's points and bar fill the new size.
TEST(FrmTsp, AResizedWindowIsRedrawnWholeAtOnceAndTheNextProblemFillsIt) {
  RecordingWindow window;
  Mt19937Source random(11);
  frmTsp form(window, random, Pacing::unpaced());
  bool next_problem_seen = false;
  window.on_pump = [&](frmTsp& f, long pump) {
    const Solver& s = f.solver();
    if (pump == 50) {
      f.mouse_move(10, 10);
      window.size = {1600, 900};
      window.calls.clear();
      window.bar_right = 0;
      f.resized();
      ASSERT_EQ(window.calls.size(), 1u);
      EXPECT_TRUE(window.calls[0].starts_with("present "));
      ASSERT_EQ(window.damage.size(), 1u);
      EXPECT_EQ(window.damage[0].area(), 1600 * 900);
      f.mouse_move(20, 20);
      EXPECT_EQ(s.quitflag, 0);
    } else if (f.problems_done() == 1 && s.iter == 0) {
      next_problem_seen = true;
      EXPECT_GT(std::max({s.x[0], s.x[1], s.x[2], s.x[3], s.x[4], s.x[5]}), 800);
      EXPECT_GT(window.bar_right, 1500);
      f.mouse_move(21, 20);
    }
  };
  form.solver().force_problem(6, 0);
  form.load();
  EXPECT_TRUE(next_problem_seen);
  EXPECT_EQ(window.calls.back(), "end");
}

// Each better tour is one frame held as an improvement, and nothing else is; a trace that cannot
// be written says so once and the show goes on.
TEST(FrmTsp, EveryImprovementAndNothingElseIsHeldAndAFailedTraceStopsOnlyTheTrace) {
  RecordingWindow window;
  long improvements = 0, problems = 0;
  std::int32_t counted = 0;
  Mt19937Source random(7);
  frmTsp form(window, random, Pacing::unpaced());
  window.on_pump = [&](frmTsp& f, long) {
    if (f.solver().problem_finished()) {
      counted += f.solver().counter2;
      if (++problems == 2) {
        f.stop();
      }
    }
  };
  window.on_end = [&] { improvements += form.presenting_improvement() ? 1 : 0; };
  std::vector<int> errors;
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);
  form.trace_to(full, [&errors](int error) { errors.push_back(error); });
  form.solver().force_problem(20, 1);
  form.load();
  std::fclose(full);
  EXPECT_GT(counted, 20);
  EXPECT_EQ(improvements, counted);
  EXPECT_EQ(errors, std::vector<int>{ENOSPC});
}

}  // namespace
}  // namespace rovanel::testing
