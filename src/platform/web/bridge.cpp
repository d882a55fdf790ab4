#include "platform/web/bridge.hpp"

#include <emscripten/emscripten.h>

#include "platform/web/web_window.hpp"

EM_JS(int, web_page_width, (), { return page.deviceWidth(); });
EM_JS(int, web_page_height, (), { return page.deviceHeight(); });
EM_JS(double, web_pixel_ratio, (), { return devicePixelRatio; });
EM_JS(void, web_size_canvas, (int width, int height), { page.sizeCanvas(width, height); });
EM_JS(void, web_present,
      (const std::uint32_t* pixels, int width, int height, const int* boxes, int count),
      { page.present(pixels, width, height, boxes, count); });
EM_JS(void, web_render_text, (const char* text, double font_pixels, int* geometry),
      { page.renderText(UTF8ToString(text), font_pixels, geometry); });
EM_JS(void, web_text_coverage, (std::uint8_t * out), { page.textCoverage(out); });
EM_ASYNC_JS(void, web_wait, (double milliseconds), { await page.wait(milliseconds); });
// A turn is a message the page posts to itself: some hundredths of a millisecond, where a zero
// timeout would take about 4 ms.
EM_ASYNC_JS(void, web_turn, (), { await page.turn(); });
EM_JS(void, web_show_cursor, (int visible), { page.showCursor(visible); });
EM_JS(void, web_set_state, (const char* state), { page.setState(UTF8ToString(state)); });
EM_JS(void, web_fail, (const char* message), { page.fail(UTF8ToString(message)); });
EM_ASYNC_JS(void, web_start_again, (), { await page.startAgain(); });
EM_JS(int, web_seed_length, (), { return page.seed == null ? -1 : lengthBytesUTF8(page.seed); });
EM_JS(void, web_seed_copy, (char* out, int size), { stringToUTF8(page.seed, out, size); });

namespace {

// Queued for the window of the show that runs, if one does.
void queue(const rovanel::PageEvent& event) {
  if (rovanel::WebSaverWindow* window = rovanel::WebSaverWindow::current()) {
    window->queue(event);
  }
}

}  // namespace

// The page's events, one function each (page.js calls them as Module._rovanel_*).
extern "C" {
EMSCRIPTEN_KEEPALIVE void rovanel_key() {
  queue({rovanel::PageEvent::Kind::kKey});
}
// A pointer's button or a wheel turn.
EMSCRIPTEN_KEEPALIVE void rovanel_click() {
  queue({rovanel::PageEvent::Kind::kClick});
}
// The pointer at (x, y) device pixels.
EMSCRIPTEN_KEEPALIVE void rovanel_move(double x, double y) {
  queue({rovanel::PageEvent::Kind::kMove, x, y});
}
// The window's size or pixel ratio may have changed.
EMSCRIPTEN_KEEPALIVE void rovanel_resize() {
  queue({rovanel::PageEvent::Kind::kResize});
}
}
