// frmTsp: the saver window's logic. It owns the tour state, runs the driver from its load
// handler and turns each repaint into a frame on the window; its input handlers only ask the
// driver to stop.
//
// How a frame happens: the driver (or hantei, at an improvement) calls repaint; paint() records
// the picture as a scene; present() waits for the frame's turn (the pacing: a frame that shows a
// better tour is held a fifth of a second, others at most 30 a second), running the input
// handlers of events that arrive meanwhile, and the renderer draws what changed since the last
// frame on the window's surface, which presents it. Between frames the driver yields, and every
// yield pumps the window's events at most once a millisecond.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "display/renderer.hpp"
#include "display/scene.hpp"
#include "shell/pacing.hpp"
#include "shell/seed.hpp"
#include "shell/window_system.hpp"
#include "solver/solver.hpp"

namespace rovanel {

class frmTsp final : private DriverHost {
 public:
  frmTsp(SaverWindow& window, RandomSource& random, Pacing pacing = {});

  // The load handler: shows the window and runs the animation until the stop flag is set, then
  // unloads the window, which ends the program.
  void load() { solver_.run(); }

  // Input handlers, run by the window while the driver yields.
  void click() { stop(); }
  void key_down() { stop(); }
  // The first move only records where the pointer is; a move to another whole pixel stops.
  void mouse_move(float x, float y);
  // A request from outside the window (a signal, the host window gone) to end as input does.
  void stop() { solver_.quitflag = -1; }
  // Restores the screen-saver flag and the cursor and ends the program; also what a close
  // request from the window system runs.
  void unload() override;
  // The window's size or layout changed: the frame on screen is drawn whole on the window's
  // surface at once. The driver reads the new screen size where it reads it anyway: for every
  // point it places and at every repaint.
  void resized();

  // Prints every improvement, and a line after each problem, to out: the trace of
  // rovanel-headless --trace, and of the savers with ROVANEL_TRACE set. A write that fails ends
  // the trace and tells failed its error number, once.
  void trace_to(std::FILE* out, std::function<void(int error)> failed) {
    trace_ = out;
    trace_failed_ = std::move(failed);
  }
  long problems_done() const { return problems_done_; }
  // Whether the frame being presented shows a better tour than the one before.
  bool presenting_improvement() const { return improvement_; }

  Solver& solver() { return solver_; }

 private:
  void show() override { window_.show(); }
  void start_saver() override;
  void redraw_now() override { present(false); }
  void yield() override;
  void repaint() override;
  ScreenSize screen_size() override { return window_.screen_size(); }
  void place_label(float left, float top) override;
  void clear() override;
  void hide() override { window_.hide(); }

  void present(bool improvement);
  void problem_done();
  void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

  SaverWindow& window_;
  Solver solver_;
  Scene scene_;
  Renderer renderer_;
  Pacing pacing_;
  std::int16_t firstx_ = 0;
  std::int16_t firsty_ = 0;
  std::FILE* trace_ = nullptr;
  std::function<void(int)> trace_failed_;
  long problems_done_ = 0;
  std::int32_t shown_counter2_ = 0;  // counter2 of the last frame
  bool improvement_ = false;
};

// Creates frmTsp on the window system's saver window and loads it, its run seeded as given (a
// malformed seed is a fatal error); ROVANEL_TRACE, set and not empty, prints its trace to stdout.
void load_frmTsp(WindowSystem& system, const GivenSeed& seed = environment_seed());

}  // namespace rovanel
