#include "platform/web/web_window.hpp"

#include <algorithm>
#include <chrono>

#include "platform/web/bridge.hpp"
#include "shell/frm_tsp.hpp"

namespace rovanel {

namespace {

// While the driver computes, the page gets a turn at least this often: input is taken within
// this time, at a cost of well under one percent.
constexpr auto kTurnInterval = std::chrono::milliseconds(10);
// The least show the driver is given; a smaller window shows part of it (the page says so).
constexpr ScreenSize kLeastShow{320, 240};

WebSaverWindow* current_window = nullptr;

}  // namespace

WebSaverWindow::WebSaverWindow() {
  current_window = this;
  fit_page();
  web_set_state("running");
}

WebSaverWindow::~WebSaverWindow() {
  current_window = nullptr;
}

WebSaverWindow* WebSaverWindow::current() {
  return current_window;
}

bool WebSaverWindow::fit_page() {
  const int width = std::max(1, web_page_width());
  const int height = std::max(1, web_page_height());
  const float scale = std::clamp(static_cast<float>(web_pixel_ratio()), kMinScale, kMaxScale);
  if (surface_ && surface_->bounds().right == width && surface_->bounds().bottom == height &&
      surface_->scale() == scale) {
    return false;
  }
  surface_.emplace(width, height, scale, [this](const Damage& damage) { presented(damage); });
  web_size_canvas(width, height);
  return true;
}

ScreenSize WebSaverWindow::screen_size() {
  const Box all = surface_->bounds();
  const ScreenSize show = show_size(all.right, all.bottom, surface_->scale());
  return {std::max(show.width, kLeastShow.width), std::max(show.height, kLeastShow.height)};
}

void WebSaverWindow::wait_for_events(Pacing::Clock::duration timeout) {
  if (events_.empty()) {
    web_wait(std::chrono::duration<double, std::milli>(timeout).count());
  }
  last_turn_ = Pacing::Clock::now();
}

void WebSaverWindow::pump_events(frmTsp& form) {
  form_ = &form;
  if (Pacing::Clock::now() - last_turn_ >= kTurnInterval) {
    web_turn();
    last_turn_ = Pacing::Clock::now();
  }
  std::vector<PageEvent> events;
  events.swap(events_);
  for (const PageEvent& event : events) {
    handle(event, form);
  }
}

void WebSaverWindow::handle(const PageEvent& event, frmTsp& form) {
  switch (event.kind) {
    case PageEvent::Kind::kKey:
      form.key_down();
      break;
    case PageEvent::Kind::kClick:
      form.click();
      break;
    case PageEvent::Kind::kMove:
      // In the show's pixels.
      form.mouse_move(static_cast<float>(event.x / surface_->scale()),
                      static_cast<float>(event.y / surface_->scale()));
      break;
    case PageEvent::Kind::kResize:
      if (fit_page()) {
        form.resized();
      }
      break;
  }
}

void WebSaverWindow::presented(const Damage& damage) {
  if (!next_test_ || form_ == nullptr ||
      (damage.size() == 1 && damage.front().area() == surface_->bounds().area())) {
    return;
  }
  const std::function<void(frmTsp&)> test = std::move(next_test_);
  next_test_ = nullptr;
  test(*form_);
}

void WebSaverWindow::show_cursor(bool visible) {
  web_show_cursor(visible ? 1 : 0);
}

void WebSaverWindow::end_program() {
  web_set_state("ended");
}

}  // namespace rovanel
