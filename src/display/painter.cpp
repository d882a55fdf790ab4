#include "display/painter.hpp"

#include <charconv>
#include <system_error>

namespace rovanel {

namespace {

// The general double-to-text form: 15 significant digits, trailing zeros and a bare decimal
// point dropped; always a full stop, whatever the locale.
std::string general_text(double v) {
  char buf[40];
  const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  return std::string(buf, result.ptr);
}

}  // namespace

std::string Painter::status_caption(const TourState& s) {
  return "N=" + std::to_string(s.n) + " d=" + general_text(s.bestd) +
         " counter2=" + std::to_string(s.counter2) + " type=" + std::to_string(s.type) +
         " time=" + std::to_string(s.maxiter - s.iter);
}

void Painter::repaint() {
  canvas_.set_text_colour(kWhite);
  canvas_.set_label_colours(kWhite, kBlack);
  canvas_.clear();
  canvas_.set_label_caption(status_caption(s_));

  for (int i = 0; i < s_.n; ++i) {
    canvas_.circle(static_cast<float>(s_.x[i]), static_cast<float>(s_.y[i]), 2, kWhite);
  }
  if (s_.type >= 2) {
    square(s_.bestx[0], s_.besty[0]);
  }
  if (s_.type == 3) {
    square(s_.bestx[s_.n - 1], s_.besty[s_.n - 1]);
  }

  const int last = s_.type <= 0 ? s_.n - 1 : s_.n - 2;
  for (int i = 0; i <= last; ++i) {
    s_.si = static_cast<std::int16_t>(i);
    s_.si1 = static_cast<std::int16_t>(i + 1);
    if (i == s_.n - 1) {
      s_.si1 = 0;
    }
    canvas_.line(static_cast<float>(s_.bestx[s_.si]), static_cast<float>(s_.besty[s_.si]),
                 static_cast<float>(s_.bestx[s_.si1]), static_cast<float>(s_.besty[s_.si1]),
                 kGreen);
  }

  // The scale bar: x in single precision, y as whole numbers.
  const float w = canvas_.screen_width();
  const float left = w + static_cast<float>(s_.barx) - 200.0f;
  const float right = w + static_cast<float>(s_.barx) - 100.0f;
  const auto bar_y = static_cast<float>(s_.bary + 30);
  const auto tick_y = static_cast<float>(s_.bary + 25);
  canvas_.line(left, bar_y, right, bar_y, kRed);
  canvas_.line(left, tick_y, left, bar_y, kRed);
  canvas_.print("0");
  canvas_.line(right, tick_y, right, bar_y, kRed);
  canvas_.print("100");
}

// Half side 5, the offsets added in double precision.
void Painter::square(double cx, double cy) {
  const auto l = static_cast<float>(cx - 5);
  const auto r = static_cast<float>(cx + 5);
  const auto t = static_cast<float>(cy - 5);
  const auto b = static_cast<float>(cy + 5);
  canvas_.line(l, t, r, t, kYellow);
  canvas_.line(r, t, r, b, kYellow);
  canvas_.line(r, b, l, b, kYellow);
  canvas_.line(l, b, l, t, kYellow);
}

}  // namespace rovanel
