#include "shell/frm_tsp.hpp"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "display/painter.hpp"

namespace rovanel {

frmTsp::frmTsp(SaverWindow& window, RandomSource& random, Pacing pacing)
    : window_(window), solver_(random, *this), pacing_(pacing) {}

void frmTsp::mouse_move(float x, float y) {
  // To the nearest whole pixel, a half to the even neighbour; a pointer beyond the 16-bit range
  // (a layout tens of thousands of pixels wide, a stray event) counts at its edge.
  const auto whole = [](float v) {
    return static_cast<std::int16_t>(std::fmin(std::fmax(std::nearbyint(v), -32768.0f), 32767.0f));
  };
  const std::int16_t cx = whole(x);
  const std::int16_t cy = whole(y);
  if (firstx_ == 0 && firsty_ == 0) {
    firstx_ = cx;
    firsty_ = cy;
  } else if (cx != firstx_ || cy != firsty_) {
    stop();
  }
}

void frmTsp::unload() {
  window_.restore_screensaver_active();
  window_.show_cursor(true);
  window_.end_program();
}

void frmTsp::resized() {
  // The show's pixels moved under the pointer: where it is now is recorded anew by the next move.
  firstx_ = 0;
  firsty_ = 0;
  renderer_.redraw_all();
  renderer_.render(scene_, window_.surface());
}

void frmTsp::start_saver() {
  window_.set_screensaver_active();
  window_.show_cursor(false);
}

void frmTsp::yield() {
  if (solver_.problem_finished()) {
    problem_done();
  }
  if (pacing_.pump_due()) {
    window_.pump_events(*this);
  }
}

// The screen's width is read at every repaint, as the points read its size.
void frmTsp::repaint() {
  paint(solver_, static_cast<float>(window_.screen_size().width), scene_);
  // A reset to 0 at a new problem shows no better tour.
  const bool improvement = solver_.counter2 != shown_counter2_ && solver_.counter2 > 0;
  shown_counter2_ = solver_.counter2;
  if (improvement) {
    trace("improve %ld %d %d %.17g\n", problems_done_ + 1, solver_.iter, solver_.counter2,
          solver_.bestd);
  }
  present(improvement);
}

void frmTsp::problem_done() {
  ++problems_done_;
  trace("problem %ld n=%d type=%d counter2=%d bestd=%.17g hantei=%lld\n", problems_done_, solver_.n,
        solver_.type, solver_.counter2, solver_.bestd,
        static_cast<long long>(solver_.hantei_calls));
  solver_.hantei_calls = 0;
}

void frmTsp::trace(const char* format, ...) {
  if (trace_ == nullptr) {
    return;
  }
  std::va_list arguments;
  va_start(arguments, format);
  errno = 0;
  const int written = std::vfprintf(trace_, format, arguments);
  va_end(arguments);
  if (written < 0 || std::ferror(trace_) != 0) {
    const int error = errno != 0 ? errno : EIO;
    trace_ = nullptr;
    trace_failed_(error);
  }
}

void frmTsp::place_label(float left, float top) {
  scene_.label.left = left;
  scene_.label.top = top;
}

void frmTsp::clear() {
  scene_.clear();
  present(false);
}

// Waits for the frame's turn; input that arrives meanwhile runs its handlers, and once one of
// them has stopped the saver the wait is over.
void frmTsp::present(bool improvement) {
  using Clock = Pacing::Clock;
  for (auto wait = pacing_.frame_wait(Clock::now(), solver_.quitflag == -1);
       wait > Clock::duration::zero();
       wait = pacing_.frame_wait(Clock::now(), solver_.quitflag == -1)) {
    window_.wait_for_events(wait);
    window_.pump_events(*this);
  }
  improvement_ = improvement;
  renderer_.render(scene_, window_.surface());
  pacing_.presented(Clock::now(), improvement);
}

void load_frmTsp(WindowSystem& system, const GivenSeed& given) {
  std::uint32_t seed = 0;
  try {
    seed = seed_of(given);
  } catch (const SeedError& e) {
    system.fatal_error(e.what());
    return;
  }
  const std::unique_ptr<SaverWindow> window = system.create_saver_window();
  if (window == nullptr) {
    return;
  }
  Mt19937Source random(seed);
  frmTsp form(*window, random);
  if (const char* trace = std::getenv("ROVANEL_TRACE"); trace != nullptr && *trace != '\0') {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // the saver may end without flushing
    // A diagnostic: the show goes on without it.
    form.trace_to(stdout, [](int error) {
      std::fprintf(stderr, "rovanel: ROVANEL_TRACE: cannot write the trace (%s); tracing stops\n",
                   std::strerror(error));
    });
  }
  form.load();
}

}  // namespace rovanel
