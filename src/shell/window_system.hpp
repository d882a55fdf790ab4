// What the shell needs of a window system: the operations of start-up, and the saver window a
// face provides. Adding a face means implementing these two interfaces (see README).
#pragma once

#include <memory>
#include <string_view>

#include "display/surface.hpp"
#include "shell/pacing.hpp"
#include "solver/screen.hpp"

namespace rovanel {

class frmTsp;

// The full-screen saver window, as frmTsp drives it. Its input reaches the form only inside
// pump_events, as calls of the form's handlers.
class SaverWindow {
 public:
  virtual ~SaverWindow() = default;
  // The back buffer frames are drawn on; the window shows what end() presents.
  virtual Surface& surface() = 0;
  // The size of the show in pixels at 96 dpi: the primary monitor's, or the host window's.
  virtual ScreenSize screen_size() = 0;
  virtual void show() = 0;
  virtual void hide() = 0;
  // Runs the form's handlers for every pending event: click, key_down, mouse_move (in the show's
  // pixels), unload (a close request), stop (a signal, the host window gone).
  virtual void pump_events(frmTsp& form) = 0;
  // Sleeps until an event is pending or the time is up, whichever comes first.
  virtual void wait_for_events(Pacing::Clock::duration timeout) = 0;
  virtual void show_cursor(bool visible) = 0;
  // Sets the system's screen-saver flag on, remembering what it was; restore puts that back.
  virtual void set_screensaver_active() = 0;
  virtual void restore_screensaver_active() = 0;
  // Ends the process with status 0; a test double may return.
  virtual void end_program() = 0;
};

// The operations start-up uses. A real window system ends the process in end_program and
// fatal_error; a test double may return, and the caller then returns at once.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual bool previous_instance() = 0;
  // A message box with a single OK button and no icon; returns when it is closed.
  virtual void message_box(std::string_view text, std::string_view caption) = 0;
  // Shows frmTspConf and returns; closing it in any way ends the program.
  virtual void load_settings_dialog() = 0;
  // Creates the saver window, or reports why it cannot through fatal_error.
  virtual std::unique_ptr<SaverWindow> create_saver_window() = 0;
  virtual void end_program() = 0;
  // Reports an error the program cannot go on from (a message box on Windows, one line on stderr
  // elsewhere) and ends the process with status 1.
  virtual void fatal_error(std::string_view message) = 0;
};

}  // namespace rovanel
