#include "display/painter.hpp"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace rovanel {

namespace {

// The general double-to-text form: 15 significant digits, trailing zeros and a bare decimal
// point dropped; always a full stop, whatever the locale.
std::string general_text(double v) {
  char buf[40];
#ifdef __EMSCRIPTEN__
  // Its libc++ 14 has no floating-point to_chars; printf's %.15g is the same text by definition,
  // and nothing in the page changes the C locale.
  return std::string(buf, static_cast<std::size_t>(std::snprintf(buf, sizeof buf, "%.15g", v)));
#else
  const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  return std::string(buf, result.ptr);
#endif
}

// Half side 5 around (cx, cy), the offsets added in double precision.
void square(Scene& scene, double cx, double cy) {
  const auto l = static_cast<float>(cx - 5);
  const auto r = static_cast<float>(cx + 5);
  const auto t = static_cast<float>(cy - 5);
  const auto b = static_cast<float>(cy + 5);
  scene.line(l, t, r, t, kYellow);
  scene.line(r, t, r, b, kYellow);
  scene.line(r, b, l, b, kYellow);
  scene.line(l, b, l, t, kYellow);
}

}  // namespace

std::string status_caption(const TourState& s) {
  return "N=" + std::to_string(s.n) + " d=" + general_text(s.bestd) +
         " counter2=" + std::to_string(s.counter2) + " type=" + std::to_string(s.type) +
         " time=" + std::to_string(s.maxiter - s.iter);
}

void paint(const TourState& s, float screen_width, Scene& scene) {
  scene.set_text_colour(kWhite);
  scene.label.text = kWhite;
  scene.label.back = kBlack;
  scene.clear();
  scene.label.caption = status_caption(s);

  for (int i = 0; i < s.n; ++i) {
    scene.circle(static_cast<float>(s.x[i]), static_cast<float>(s.y[i]), 2, kWhite);
  }
  if (s.type >= 2) {
    square(scene, s.bestx[0], s.besty[0]);
  }
  if (s.type == 3) {
    square(scene, s.bestx[s.n - 1], s.besty[s.n - 1]);
  }

  // The same edges hantei measures: closed for type 0, an open path for the others.
  const int last = s.type <= 0 ? s.n - 1 : s.n - 2;
  for (int i = 0; i <= last; ++i) {
    const int i1 = i == s.n - 1 ? 0 : i + 1;
    scene.line(static_cast<float>(s.bestx[i]), static_cast<float>(s.besty[i]),
               static_cast<float>(s.bestx[i1]), static_cast<float>(s.besty[i1]), kGreen);
  }

  // The scale bar: x in single precision, y as whole numbers.
  const float w = screen_width;
  const float left = w + static_cast<float>(s.barx) - 200.0f;
  const float right = w + static_cast<float>(s.barx) - 100.0f;
  const auto bar_y = static_cast<float>(s.bary + 30);
  const auto tick_y = static_cast<float>(s.bary + 25);
  scene.line(left, bar_y, right, bar_y, kRed);
  scene.line(left, tick_y, left, bar_y, kRed);
  scene.print("0");
  scene.line(right, tick_y, right, bar_y, kRed);
  scene.print("100");
}

}  // namespace rovanel
