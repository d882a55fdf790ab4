#include "shell/frm_tsp.hpp"

#include <cmath>
#include <cstdlib>

#include "display/painter.hpp"
#include "shell/seed.hpp"

namespace rovanel {

frmTsp::frmTsp(SaverWindow& window, RandomSource& random, Pacing pacing)
    : window_(window),
      solver_(random, *this),
      scene_(static_cast<float>(window.screen_size().width)),
      pacing_(pacing) {}

void frmTsp::mouse_move(float x, float y) {
  // To the nearest whole pixel, a half to the even neighbour.
  const auto cx = static_cast<std::int16_t>(std::nearbyint(x));
  const auto cy = static_cast<std::int16_t>(std::nearbyint(y));
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

void frmTsp::start_saver() {
  window_.set_screensaver_active();
  window_.show_cursor(false);
}

void frmTsp::yield() {
  // The only yield with iter past maxiter is the first one after a finished problem.
  if (solver_.iter == solver_.maxiter + 1) {
    problem_done();
  }
  if (pacing_.pump_due()) {
    window_.pump_events(*this);
  }
}

void frmTsp::repaint() {
  paint(solver_, scene_);
  if (solver_.counter2 != traced_counter2_) {
    traced_counter2_ = solver_.counter2;
    if (trace_ != nullptr && solver_.counter2 > 0) {
      std::fprintf(trace_, "improve %ld %d %d %.17g\n", problems_done_ + 1, solver_.iter,
                   solver_.counter2, solver_.bestd);
    }
  }
  present();
}

void frmTsp::problem_done() {
  ++problems_done_;
  if (trace_ != nullptr) {
    std::fprintf(trace_, "problem %ld n=%d type=%d counter2=%d bestd=%.17g hantei=%lld\n",
                 problems_done_, solver_.n, solver_.type, solver_.counter2, solver_.bestd,
                 static_cast<long long>(solver_.hantei_calls));
  }
  solver_.hantei_calls = 0;
}

void frmTsp::place_label(float left, float top) {
  scene_.label.left = left;
  scene_.label.top = top;
}

void frmTsp::clear() {
  scene_.clear();
  present();
}

// Waits for the frame's turn; input that arrives meanwhile runs its handlers, and once one of
// them has stopped the saver the wait is over.
void frmTsp::present() {
  using Clock = Pacing::Clock;
  for (auto wait = pacing_.frame_wait(Clock::now(), solver_.quitflag == -1);
       wait > Clock::duration::zero();
       wait = pacing_.frame_wait(Clock::now(), solver_.quitflag == -1)) {
    window_.wait_for_events(wait);
    window_.pump_events(*this);
  }
  renderer_.render(scene_, window_.surface());
  pacing_.presented(Clock::now());
}

void load_frmTsp(WindowSystem& system) {
  std::uint32_t seed = 0;
  try {
    seed = saver_seed();
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
    form.trace_to(stdout);
  }
  form.load();
}

}  // namespace rovanel
