// What the shell needs of a window system: the start-up's operations and the saver window's.
#pragma once

#include <string_view>

#include "display/canvas.hpp"
#include "solver/solver.hpp"

namespace rovanel {

// The operations start-up uses. end_program() ends the process in a real window system; a test
// double may return, and the caller then returns at once.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual bool previous_instance() = 0;
  // A message box with a single OK button and no icon; returns when it is closed.
  virtual void message_box(std::string_view text, std::string_view caption) = 0;
  // Shows frmTspConf and returns; closing it in any way ends the program.
  virtual void load_settings_dialog() = 0;
  // Creates frmTsp and runs its load handler, the whole animation.
  virtual void load_saver_window() = 0;
  virtual void end_program() = 0;
};

// The full-screen saver window, as frmTsp drives it.
class SaverWindow {
 public:
  virtual ~SaverWindow() = default;
  virtual Canvas& canvas() = 0;
  virtual void show() = 0;
  virtual void hide() = 0;
  // Puts the frame drawn so far on the screen at once, at most 30 frames a second; while it
  // waits it handles input, and once quitflag is set it no longer waits.
  virtual void present() = 0;
  // Handles every pending event; input handlers run here.
  virtual void pump_events() = 0;
  virtual ScreenSize screen_size() = 0;
  virtual void show_cursor(bool visible) = 0;
  // Sets the system's screen-saver flag on, remembering what it was; restore puts that back.
  virtual void set_screensaver_active() = 0;
  virtual void restore_screensaver_active() = 0;
  virtual void end_program() = 0;
};

}  // namespace rovanel
