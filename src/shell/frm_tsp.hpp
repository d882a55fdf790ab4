// frmTsp: the saver window's logic. It owns the tour state, runs the driver from its load
// handler, and its input handlers only ask the driver to stop.
#pragma once

#include <cstdint>

#include "display/painter.hpp"
#include "shell/window_system.hpp"
#include "solver/solver.hpp"

namespace rovanel {

class frmTsp final : private DriverHost {
 public:
  frmTsp(SaverWindow& window, RandomSource& random)
      : window_(window), solver_(random, *this), painter_(solver_, window.canvas()) {}

  // The load handler: shows the window and runs the animation until the stop flag is set,
  // then unloads the window, which ends the program.
  void load() { solver_.run(); }

  // Input handlers, run by the window system while the driver yields.
  void click() { quitflag = -1; }
  void key_down() { quitflag = -1; }
  // The first move only records where the pointer is; a move to another whole pixel stops.
  void mouse_move(float x, float y);
  // Restores the screen-saver flag and the cursor and ends the program; also what a close
  // request from the window system runs.
  void unload();

  const TourState& state() const { return solver_; }

 private:
  void show() override { window_.show(); }
  void start_saver() override;
  void redraw_now() override { window_.present(); }
  void yield() override { window_.pump_events(); }
  void repaint() override;
  ScreenSize screen_size() override { return window_.screen_size(); }
  void place_label(float top, float left) override;
  void clear() override;
  void hide() override { window_.hide(); }

  SaverWindow& window_;
  Solver solver_;
  Painter painter_;
  std::int16_t firstx_ = 0;
  std::int16_t firsty_ = 0;
};

}  // namespace rovanel
