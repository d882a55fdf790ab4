// rovanel's page: the saver in a browser, a static folder (index.html, rovanel.js, rovanel.wasm)
// that any web server can host. ?seed=S replays the run of rovanel-headless --seed S at the
// page's size (read as ROVANEL_SEED and --seed are); ?trace prints the trace to the console (as
// ROVANEL_TRACE).
//
// What this face implements (see README, "Adding a face"):
//  [x] saver window: a canvas filling the browser's window, the show laid out in its CSS pixels
//      (the 96-dpi size, at least 320x240)
//  [x] input: keys, pointer presses, wheel turns and moves on the page, queued and handed to the
//      form when a frame waits or a pump is due; the page gets a turn at least every 10 ms
//  [x] frames: an RGBA buffer in the module's memory, drawn in whole device pixels, texts
//      rendered by the browser; only the damaged boxes are put on the canvas
//  [x] scale: devicePixelRatio; a resized window (or a zoom) redraws the frame at once and
//      starts the next problem at the new size
//  [x] cursor: hidden over the page while the show runs
//  [x] end of the program: the page says the show has ended and offers to start it again, or in
//      full screen
//  [x] fatal errors: the page says what is wrong (an empty or malformed ?seed, quoted as typed)
//  [ ] screen-saver flag: the browser has none
//  [ ] start-up dispatch, previous instance, dialogs: not offered; the page runs the saver only
#include <emscripten/emscripten.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/web/web_window.hpp"
#include "shell/frm_tsp.hpp"

// The page's side (page.js): a fatal error shown; the module waits until the show is started
// again.
EM_JS(void, web_fail, (const char* message), { page.fail(UTF8ToString(message)); });
EM_ASYNC_JS(void, web_start_again, (), { await page.startAgain(); });
// The page's ?seed as typed, in UTF-8: its length in bytes (-1 without one), then its bytes.
EM_JS(int, web_seed_length, (), { return page.seed == null ? -1 : lengthBytesUTF8(page.seed); });
EM_JS(void, web_seed_copy, (char* out, int size), { stringToUTF8(page.seed, out, size); });

namespace rovanel {
namespace {

class WebSystem final : public WindowSystem {
 public:
  // Only the saver runs here: there is no start-up dispatch to ask for these.
  bool previous_instance() override { return false; }
  void message_box(std::string_view, std::string_view) override {}
  void load_settings_dialog() override {}
  void end_program() override {}

  std::unique_ptr<SaverWindow> create_saver_window() override {
    return std::make_unique<WebSaverWindow>();
  }
  void fatal_error(std::string_view message) override {
    web_fail(std::string(message).c_str());
    failed_ = true;
  }

  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
};

// Every byte of it: a NUL or a character beyond ASCII is the parser's to refuse.
std::optional<std::string> page_seed() {
  const int length = web_seed_length();
  if (length < 0) {
    return std::nullopt;
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  web_seed_copy(text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace
}  // namespace rovanel

int main() {
  rovanel::WebSystem system;
  const rovanel::GivenSeed seed{"?seed", rovanel::page_seed()};
  for (;;) {
    rovanel::load_frmTsp(system, seed);
    if (system.failed()) {
      return 1;
    }
    web_start_again();
  }
}
