// Built into the tests' module only (checks/, with checks.js): the frame check that the browser
// test asks for through page.check(). Right after a frame drawn in part has reached the canvas,
// the canvas is compared with the buffer, then the buffer with the same frame drawn whole (drawn
// again now, as for a resize, which also has the next move only recorded); the page gets the
// number of pixels that differ in each.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/web/web_window.hpp"
#include "shell/frm_tsp.hpp"

EM_JS(int, web_canvas_differences, (const std::uint32_t* pixels, int width, int height),
      { return page.canvasDifferences(pixels, width, height); });
EM_JS(void, web_checked, (int canvas, int redraw), { page.checked(canvas, redraw); });

namespace {

void check_frame(const rovanel::WebSaverWindow& window, rovanel::frmTsp& form) {
  const rovanel::Box all = window.buffer().bounds();
  const int canvas =
      web_canvas_differences(window.buffer().pixels().data(), all.right, all.bottom);
  const std::vector<std::uint32_t> shown = window.buffer().pixels();
  form.resized();
  const std::vector<std::uint32_t>& whole = window.buffer().pixels();
  int redraw = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    redraw += shown[i] != whole[i] ? 1 : 0;
  }
  web_checked(canvas, redraw);
}

}  // namespace

// The next frame drawn in part is checked.
extern "C" EMSCRIPTEN_KEEPALIVE void rovanel_check() {
  if (rovanel::WebSaverWindow* window = rovanel::WebSaverWindow::current()) {
    window->test_next_frame([window](rovanel::frmTsp& form) { check_frame(*window, form); });
  }
}
