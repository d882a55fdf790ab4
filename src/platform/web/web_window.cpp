#include "platform/web/web_window.hpp"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <chrono>

#include "shell/frm_tsp.hpp"

// The page's side (page.js). The asynchronous ones suspend the module until their promise is
// kept: a wait ends at its time or at the next event, a turn after one trip through the page's
// event loop (a message to itself, some hundredths of a millisecond; a zero timeout would take
// about 4 ms).
EM_JS(int, web_page_width, (), { return page.deviceWidth(); });
EM_JS(int, web_page_height, (), { return page.deviceHeight(); });
EM_JS(double, web_pixel_ratio, (), { return devicePixelRatio; });
EM_JS(void, web_size_canvas, (int width, int height), { page.sizeCanvas(width, height); });
EM_ASYNC_JS(void, web_wait, (double milliseconds), { await page.wait(milliseconds); });
EM_ASYNC_JS(void, web_turn, (), { await page.turn(); });
EM_JS(void, web_show_cursor, (int visible), { page.showCursor(visible); });
EM_JS(void, web_set_state, (const char* state), { page.setState(UTF8ToString(state)); });
EM_JS(int, web_canvas_differences, (const std::uint32_t* pixels, int width, int height),
      { return page.canvasDifferences(pixels, width, height); });
EM_JS(void, web_checked, (int canvas, int redraw), { page.checked(canvas, redraw); });

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
    case PageEvent::Kind::kCheck:
      checking_ = &form;
      break;
  }
}

// Right after a frame drawn in part reached the canvas, while the form's scene is the one drawn:
// the canvas against the buffer, then the buffer against the same frame drawn whole (drawn
// again now, as for a resize, which also has the next move only recorded); the number of
// pixels that differ in each.
void WebSaverWindow::presented(const Damage& damage) {
  if (checking_ == nullptr ||
      (damage.size() == 1 && damage.front().area() == surface_->bounds().area())) {
    return;
  }
  frmTsp& form = *checking_;
  checking_ = nullptr;
  const Box all = surface_->bounds();
  const int canvas = web_canvas_differences(surface_->pixels().data(), all.right, all.bottom);
  const std::vector<std::uint32_t> shown = surface_->pixels();
  form.resized();
  const std::vector<std::uint32_t>& whole = surface_->pixels();
  int redraw = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    redraw += shown[i] != whole[i] ? 1 : 0;
  }
  web_checked(canvas, redraw);
}

void WebSaverWindow::show_cursor(bool visible) {
  web_show_cursor(visible ? 1 : 0);
}

void WebSaverWindow::end_program() {
  web_set_state("ended");
}

}  // namespace rovanel

// The page's events, as the page numbers them; others are ignored.
extern "C" EMSCRIPTEN_KEEPALIVE void rovanel_event(int kind, double x, double y) {
  using rovanel::PageEvent;
  rovanel::WebSaverWindow* window = rovanel::WebSaverWindow::current();
  if (window != nullptr && kind >= 0 && kind <= static_cast<int>(PageEvent::Kind::kCheck)) {
    window->queue({static_cast<PageEvent::Kind>(kind), x, y});
  }
}
