// frmTsp on Windows: a borderless, topmost popup over every monitor with lblStatus as a child
// STATIC control; it draws into a GDI back buffer and presents whole frames.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win32/gdi_canvas.hpp"
#include "shell/frm_tsp.hpp"
#include "shell/pacing.hpp"
#include "shell/window_system.hpp"

namespace rovanel {

class Win32SaverWindow final : public SaverWindow {
 public:
  explicit Win32SaverWindow(HINSTANCE instance);
  Win32SaverWindow(const Win32SaverWindow&) = delete;
  Win32SaverWindow& operator=(const Win32SaverWindow&) = delete;

  // Creates frmTsp on this window and runs its load handler, which ends the program when the
  // driver unloads the window.
  void run(std::uint32_t seed);

  Canvas& canvas() override { return canvas_; }
  void show() override;
  void hide() override { ShowWindow(hwnd_, SW_HIDE); }
  void present() override;
  void pump_events() override;
  ScreenSize screen_size() override;
  void show_cursor(bool visible) override { ShowCursor(visible ? TRUE : FALSE); }
  void set_screensaver_active() override;
  void restore_screensaver_active() override;
  void end_program() override { ExitProcess(0); }

 private:
  static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  void dispatch_pending();
  void wait_for_frame();
  void update_label();

  RECT area_;
  GdiCanvas canvas_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  LabelState shown_;  // what the label control shows now
  Pacing pacing_;
  frmTsp* form_ = nullptr;
  BOOL found_active_ = FALSE;
};

}  // namespace rovanel
