// The saver window in a browser: the page's canvas, filling the browser's window. The module runs
// the driver's loop as it stands and suspends it (ASYNCIFY) where the page must get its turn: at
// a frame's wait, and at a due pump now and then. Input reaches the module between those turns
// and waits in a queue for the next pump.
#pragma once

#include <optional>
#include <vector>

#include "platform/web/web_surface.hpp"
#include "shell/window_system.hpp"

namespace rovanel {

// What the page reports, in the order it happens; page.js numbers the kinds alike.
struct PageEvent {
  enum class Kind { kKey = 0, kClick = 1, kMove = 2, kResize = 3, kCheck = 4 };
  Kind kind;
  double x = 0;  // a move's position in device pixels
  double y = 0;
};

class WebSaverWindow final : public SaverWindow {
 public:
  // The page's events reach this window from now until it is gone.
  WebSaverWindow();
  ~WebSaverWindow() override;
  WebSaverWindow(const WebSaverWindow&) = delete;
  WebSaverWindow& operator=(const WebSaverWindow&) = delete;

  Surface& surface() override { return *surface_; }
  ScreenSize screen_size() override;
  void show() override {}
  void hide() override {}
  void pump_events(frmTsp& form) override;
  void wait_for_events(Pacing::Clock::duration timeout) override;
  void show_cursor(bool visible) override;
  // The browser has no screen-saver flag to set.
  void set_screensaver_active() override {}
  void restore_screensaver_active() override {}
  // The page says the show has ended; the module goes on, waiting to start again.
  void end_program() override;

  // The window the page's events go to, if there is one.
  static WebSaverWindow* current();
  void queue(const PageEvent& event) { events_.push_back(event); }

 private:
  // Sizes the buffer and the canvas to the page's window; false if nothing changed.
  bool fit_page();
  void handle(const PageEvent& event, frmTsp& form);
  // For tests: whether the canvas shows the buffer and the buffer is the frame drawn whole,
  // checked after the next frame drawn in part.
  void presented(const Damage& damage);

  std::optional<WebSurface> surface_;
  std::vector<PageEvent> events_;
  Pacing::Clock::time_point last_turn_{};  // when the page last had its turn
  frmTsp* checking_ = nullptr;             // whose next frame drawn in part is checked
};

}  // namespace rovanel
