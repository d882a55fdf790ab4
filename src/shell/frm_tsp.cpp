#include "shell/frm_tsp.hpp"

#include <cmath>

namespace rovanel {

void frmTsp::mouse_move(float x, float y) {
  // To the nearest whole pixel, a half to the even neighbour.
  const auto cx = static_cast<std::int16_t>(std::nearbyint(x));
  const auto cy = static_cast<std::int16_t>(std::nearbyint(y));
  if (firstx_ == 0 && firsty_ == 0) {
    firstx_ = cx;
    firsty_ = cy;
  } else if (cx != firstx_ || cy != firsty_) {
    quitflag = -1;
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

void frmTsp::repaint() {
  painter_.repaint();
  window_.present();
}

void frmTsp::place_label(float top, float left) {
  window_.canvas().set_label_position(left, top);
}

void frmTsp::clear() {
  window_.canvas().clear();
  window_.present();
}

}  // namespace rovanel
