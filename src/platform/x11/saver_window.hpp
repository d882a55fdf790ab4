// The saver window on X11: a window of its own over the whole screen, or a window that a host
// such as XScreenSaver hands over. Frames are drawn into a pixmap; only what changed is copied
// to the window.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "platform/cairo/cairo_surface.hpp"
#include "shell/window_system.hpp"

namespace rovanel {

class X11SaverWindow final : public SaverWindow {
 public:
  // Without a host window, opens an override-redirect window over the whole screen that takes
  // the keyboard and pointer input, and lays the show out in the primary monitor; with one,
  // draws into it at its size and visual, lays the show out in all of it and leaves input to the
  // host. scale: device pixels per pixel of the show. SIGTERM, SIGINT and SIGHUP stop the saver
  // like input does, through its unload; so does the host window going away.
  // Standalone it follows the screen (RandR): the window covers the new screen and the show moves
  // to the primary monitor's new place; embedded it follows the host window's size.
  X11SaverWindow(Display* display, std::optional<Window> host, float scale);
  X11SaverWindow(const X11SaverWindow&) = delete;
  X11SaverWindow& operator=(const X11SaverWindow&) = delete;

  Surface& surface() override { return *surface_; }
  ScreenSize screen_size() override { return show_size_; }
  void show() override;
  void hide() override;
  void pump_events(frmTsp& form) override;
  void wait_for_events(Pacing::Clock::duration timeout) override;
  void show_cursor(bool visible) override;
  void set_screensaver_active() override;
  void restore_screensaver_active() override;
  [[noreturn]] void end_program() override;

 private:
  bool embedded() const { return host_.has_value(); }
  void create_own_window();
  bool lay_out();
  void grab_keyboard();
  void handle(const XEvent& event, frmTsp& form);
  void copy_to_window(const Damage& damage);

  Display* display_;
  std::optional<Window> host_;
  int stop_fd_ = -1;  // readable once a signal asks the saver to stop
  float scale_;
  Window window_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int randr_event_base_ = -1;    // -1: the server has no RandR, the screen stays as it is
  bool layout_changed_ = false;  // a screen or host window change, followed after the pump
  int width_ = 0;                // of the window, in device pixels
  int height_ = 0;
  XRectangle show_area_{};  // where the show lies in the window, in device pixels
  ScreenSize show_size_;    // the show in its own pixels: the area divided by the scale
  Pixmap back_ = 0;
  bool whole_window_due_ = false;  // the back buffer is new: the next frame copies all of it
  GC gc_ = nullptr;
  std::optional<CairoSurface> surface_;
  Cursor blank_cursor_ = 0;
  bool blanking_suspended_ = false;
};

}  // namespace rovanel
