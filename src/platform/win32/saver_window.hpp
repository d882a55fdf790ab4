// frmTsp on Windows: a borderless, topmost popup over every monitor with lblStatus as a child
// STATIC control; frames are drawn into a GDI back buffer and only what changed is presented.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32/gdi_surface.hpp"
#include "shell/window_system.hpp"

namespace rovanel {

class Win32SaverWindow final : public SaverWindow {
 public:
  // Throws CreationError when the window or its back buffer cannot be created. When the displays
  // change, the window covers the new virtual screen and the show the primary monitor.
  explicit Win32SaverWindow(HINSTANCE instance);
  Win32SaverWindow(const Win32SaverWindow&) = delete;
  Win32SaverWindow& operator=(const Win32SaverWindow&) = delete;

  Surface& surface() override { return *surface_; }
  ScreenSize screen_size() override;
  void show() override;
  void hide() override { ShowWindow(hwnd_, SW_HIDE); }
  void pump_events(frmTsp& form) override;
  void wait_for_events(Pacing::Clock::duration timeout) override;
  void show_cursor(bool visible) override { ShowCursor(visible ? TRUE : FALSE); }
  void set_screensaver_active() override;
  void restore_screensaver_active() override;
  void end_program() override { ExitProcess(0); }

 private:
  static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  // Reads the virtual screen and the primary monitor's DPI and makes a back buffer for them.
  void lay_out();
  void present(const Damage& damage);
  void update_label();
  // Where the label's box lies in the window, in device pixels.
  RECT label_rect(const Label& label) const;

  RECT area_{};    // the virtual screen, relative to the primary monitor, in device pixels
  UINT dpi_ = 96;  // the primary monitor's, where the show lies
  float scale_ = 1;
  std::unique_ptr<GdiSurface> surface_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  Label shown_;             // what the label control shows now
  frmTsp* form_ = nullptr;  // whose handlers the messages run, from the first pump on
  BOOL found_active_ = FALSE;
};

}  // namespace rovanel
