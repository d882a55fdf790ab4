// What a face draws frames on: a back buffer in device pixels whose origin is the top left corner
// of the show, and a scale of device pixels per pixel of the show.
#pragma once

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "display/scene.hpp"
#include "solver/screen.hpp"

namespace rovanel {

// A rectangle of device pixels; right and bottom are not in it.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;

  bool empty() const { return right <= left || bottom <= top; }
  bool intersects(const Box& b) const {
    return left < b.right && b.left < right && top < b.bottom && b.top < bottom;
  }
  long area() const { return empty() ? 0 : long(right - left) * long(bottom - top); }
  Box clipped(const Box& b) const {
    return {std::max(left, b.left), std::max(top, b.top), std::min(right, b.right),
            std::min(bottom, b.bottom)};
  }
};

using Damage = std::vector<Box>;

// Lines and outlines are this many device pixels wide: whole pixels, so they stay crisp.
inline int line_width(float scale) {
  return std::max(1, static_cast<int>(std::lround(scale)));
}

// Where a coordinate of the show lies on a surface: the centre of its pixel, scaled.
inline double device(float v, float scale) {
  return (static_cast<double>(v) + 0.5) * scale;
}

// The pixels of a circle outline, row by row: every pixel whose centre lies within half a line
// width of the circle. Both faces draw circles from these runs, so they look alike, and drawing
// whole pixels stays the same inside any clip, which a rasterized arc does not.
template <class Run>  // void(int y, int x_begin, int x_end)
void circle_runs(float x, float y, float radius, float scale, Run run) {
  const double cx = device(x, scale);
  const double cy = device(y, scale);
  const double half = line_width(scale) / 2.0;
  const double r = static_cast<double>(radius) * scale;
  const double inner = std::max(0.0, r - half) * std::max(0.0, r - half);
  const double outer = (r + half) * (r + half);
  for (int j = static_cast<int>(std::floor(cy - r - half)); j <= cy + r + half; ++j) {
    const double dy = j + 0.5 - cy;
    int begin = 0;
    bool on = false;
    for (int i = static_cast<int>(std::floor(cx - r - half)); i <= cx + r + half + 1; ++i) {
      const double dx = i + 0.5 - cx;
      const double d2 = dx * dx + dy * dy;
      const bool in = d2 >= inner && d2 < outer;
      if (in && !on) {
        begin = i;
      } else if (!in && on) {
        run(j, begin, i);
      }
      on = in;
    }
  }
}

class Surface {
 public:
  virtual ~Surface() = default;

  virtual float scale() const = 0;
  // Every device pixel of the buffer, relative to the show's origin.
  virtual Box bounds() const = 0;
  // A box that holds every pixel the text drawn at (x, y) touches.
  virtual Box text_box(float x, float y, std::string_view text) = 0;

  // Starts redrawing the damaged boxes: they are erased to black, and drawing stays inside them
  // until end.
  virtual void begin(const Damage& damage) = 0;
  virtual void draw(const Shape& shape) = 0;
  virtual void draw_label(const Label& label) = 0;
  // The frame is complete: the damaged boxes reach the screen.
  virtual void end(const Damage& damage) = 0;
};

}  // namespace rovanel
