#include <gtest/gtest.h>

#include "recording_canvas.hpp"
#include "shell/frm_tsp.hpp"
#include "shell/mdl_tsp.hpp"
#include "shell/pacing.hpp"
#include "shell/seed.hpp"
#include "shell/texts.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

using Calls = std::vector<std::string>;

class RecordingSystem final : public WindowSystem {
 public:
  bool running = false;
  Calls calls;
  bool previous_instance() override { return running; }
  void message_box(std::string_view text, std::string_view caption) override {
    calls.push_back("message_box " + std::string(text) + " | " + std::string(caption));
  }
  void load_settings_dialog() override { calls.push_back("settings"); }
  void load_saver_window() override { calls.push_back("saver"); }
  void end_program() override { calls.push_back("end"); }
};

TEST(MdlTsp, StartkeyIsTheFirstTwoCharactersUpperCased) {
  EXPECT_EQ(mdlTsp::startkey(""), "");
  EXPECT_EQ(mdlTsp::startkey("/"), "/");
  EXPECT_EQ(mdlTsp::startkey("/c:472"), "/C");
  EXPECT_EQ(mdlTsp::startkey("/C 472"), "/C");
  EXPECT_EQ(mdlTsp::startkey("abc"), "AB");
  EXPECT_EQ(mdlTsp::startkey("-root"), "-R");
}

TEST(MdlTsp, DispatchesOnTheStartkey) {
  const std::string password = std::string("message_box ") + kPasswordMessage + " | Rovanel";
  const std::pair<const char*, Calls> cases[] = {
      {"", {"settings"}},
      {"/c", {"settings"}},
      {"/C 472", {"settings"}},
      {"/c:472", {"settings"}},
      {"/p 472", {"end"}},
      {"/P", {"end"}},
      {"/a 472", {password, "end"}},
      {"/s", {"saver"}},
      {"/S", {"saver"}},
      {"/x", {"saver"}},
      {"abc", {"saver"}},
      {"/", {"saver"}},
      {"-S", {"saver"}},
  };
  for (const auto& [arguments, expected] : cases) {
    RecordingSystem system;
    mdlTsp::main(system, arguments);
    EXPECT_EQ(system.calls, expected) << "'" << arguments << "'";

    RecordingSystem second;
    second.running = true;
    mdlTsp::main(second, arguments);
    EXPECT_EQ(second.calls, Calls{"end"}) << "second instance, '" << arguments << "'";
  }
}

// A saver window that records what frmTsp asks of it; its event pump can run input handlers.
class RecordingWindow final : public SaverWindow {
 public:
  Canvas& canvas() override { return canvas_; }
  void show() override { calls.push_back("show"); }
  void hide() override { calls.push_back("hide"); }
  void present() override { calls.push_back("present"); }
  void pump_events() override {
    ++pumps;
    if (on_pump) {
      on_pump(pumps);
    }
  }
  ScreenSize screen_size() override { return {800, 600}; }
  void show_cursor(bool visible) override { calls.push_back(visible ? "cursor on" : "cursor off"); }
  void set_screensaver_active() override { calls.push_back("flag on"); }
  void restore_screensaver_active() override { calls.push_back("flag restored"); }
  // A real window system ends the process here; the test stops the driver instead.
  void end_program() override {
    calls.push_back("end");
    quitflag = -1;
  }

  Calls calls;
  long pumps = 0;
  std::function<void(long)> on_pump;
  RecordingCanvas canvas_{800};
};

struct Saver : ::testing::Test {
  RecordingWindow window;
  ScriptedRandom random{{0.3f, 0.6f}};
  frmTsp form{window, random};
};

TEST_F(Saver, InputHandlersOnlySetTheStopFlag) {
  quitflag = 0;
  form.mouse_move(10.5f, 20.4f);  // recorded as (10, 20): a half goes to the even neighbour
  form.mouse_move(10.4f, 19.6f);
  form.mouse_move(9.5f, 20.0f);
  EXPECT_EQ(quitflag, 0);
  form.mouse_move(11.5f, 20.0f);
  EXPECT_EQ(quitflag, -1);

  frmTsp fresh(window, random);  // a first move at the origin records nothing
  quitflag = 0;
  fresh.mouse_move(0, 0);
  fresh.mouse_move(5, 5);  // recorded now
  EXPECT_EQ(quitflag, 0);
  fresh.mouse_move(5, 6);
  EXPECT_EQ(quitflag, -1);

  for (auto stop : {&frmTsp::click, &frmTsp::key_down}) {
    quitflag = 0;
    (form.*stop)();
    EXPECT_EQ(quitflag, -1);
  }
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(Saver, RunsFromLoadToUnloadThroughTheWindow) {
  window.on_pump = [this](long pump) {
    if (pump == 3) {  // the first yield of the first pass
      form.key_down();
    }
  };
  form.load();
  // Start, the generation frame and iteration 0's frame (each presented), then the shutdown.
  const Calls start = {"show", "flag on", "cursor off", "present", "present", "present"};
  EXPECT_EQ(Calls(window.calls.begin(), window.calls.begin() + 6), start);
  const Calls end = {"present", "hide", "flag restored", "cursor on", "end"};
  EXPECT_EQ(Calls(window.calls.end() - 5, window.calls.end()), end);
  EXPECT_EQ(window.canvas_.calls.back(), "clear");
  EXPECT_EQ(window.pumps, 3);
  EXPECT_EQ(form.state().n, 4 + static_cast<int>(0.3f * 46));
}

TEST_F(Saver, ACloseRequestUnloadsThroughTheSameSteps) {
  window.on_pump = [this](long pump) {
    if (pump == 1) {
      form.unload();
    }
  };
  quitflag = 0;
  form.load();
  const Calls expected = {"show",          "flag on",   "cursor off", "present",
                          "flag restored", "cursor on", "end"};
  EXPECT_EQ(Calls(window.calls.begin(), window.calls.begin() + 7), expected);
}


TEST(Pacing, FramesAtMostThirtyASecondUntilTheStopFlagAndPumpsAtMostOnceAMillisecond) {
  using namespace std::chrono_literals;
  Pacing pacing;
  const auto t0 = Pacing::Clock::time_point{} + 10s;
  quitflag = 0;
  EXPECT_EQ(pacing.frame_wait(t0), Pacing::Clock::duration::zero());
  pacing.presented(t0);
  EXPECT_EQ(pacing.frame_wait(t0 + 10ms), Pacing::kFrameInterval - 10ms);
  EXPECT_EQ(pacing.frame_wait(t0 + 40ms), Pacing::Clock::duration::zero());
  quitflag = -1;
  EXPECT_EQ(pacing.frame_wait(t0 + 10ms), Pacing::Clock::duration::zero());
  quitflag = 0;

  EXPECT_TRUE(pacing.pump_due(t0));
  EXPECT_FALSE(pacing.pump_due(t0 + 999us));
  EXPECT_TRUE(pacing.pump_due(t0 + 1ms));
  EXPECT_FALSE(pacing.pump_due(t0 + 1500us));
}

TEST(SaverSeed, ReplaysTheSeedOfTheEnvironmentAndRefusesAMalformedOne) {
  setenv("ROVANEL_SEED", "4294967295", 1);
  EXPECT_EQ(saver_seed(), 4294967295u);
  setenv("ROVANEL_SEED", "319", 1);
  EXPECT_EQ(saver_seed(), 319u);
  setenv("ROVANEL_SEED", "", 1);
  EXPECT_NO_THROW(saver_seed());  // empty: the clock
  for (const char* bad : {"4294967296", "-1", "31x", " 7", "seed"}) {
    setenv("ROVANEL_SEED", bad, 1);
    EXPECT_THROW(saver_seed(), SeedError) << bad;
  }
  unsetenv("ROVANEL_SEED");
}

}  // namespace
}  // namespace rovanel::testing
