#include "platform/web/web_surface.hpp"

#include <algorithm>
#include <cmath>

#include "platform/web/bridge.hpp"

namespace rovanel {

namespace {

// The usual user-interface font: sans-serif, 9 points (12 pixels at 96 dpi).
constexpr double kFontPixels = 12;
// A label's caption changes with nearly every frame: the texts kept are dropped now and then.
constexpr std::size_t kTextsKept = 64;

// A colour as a pixel: its bytes red, green, blue and an opaque alpha.
std::uint32_t pixel_of(Colour c) {
  return c | 0xFF000000u;
}

// The first pixel whose centre lies at or past v.
int first_centre(double v) {
  return static_cast<int>(std::ceil(v - 0.5));
}

}  // namespace

WebSurface::WebSurface(int width, int height, float scale,
                       std::function<void(const Damage&)> presented)
    : width_(width),
      height_(height),
      scale_(scale),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), pixel_of(kBlack)),
      clip_(pixels_.size(), 0),
      presented_(std::move(presented)) {}

const WebSurface::Coverage& WebSurface::coverage(std::string_view text) {
  std::string key(text);
  if (const auto found = texts_.find(key); found != texts_.end()) {
    return found->second;
  }
  if (texts_.size() >= kTextsKept) {
    texts_.clear();
  }
  int geometry[4] = {};
  web_render_text(key.c_str(), kFontPixels * scale_, geometry);
  Coverage c{geometry[0], geometry[1], geometry[2], geometry[3], {}};
  c.alpha.resize(static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height));
  web_text_coverage(c.alpha.data());
  return texts_.emplace(std::move(key), std::move(c)).first->second;
}

// Texts start at whole device pixels, as the glyphs are rendered for them.
int WebSurface::text_origin(double v) const {
  return static_cast<int>(std::lround(v * scale_));
}

Box WebSurface::text_box(float x, float y, std::string_view text) {
  const Coverage& c = coverage(text);
  const int left = text_origin(x) - c.left;
  const int top = text_origin(y) - c.top;
  return {left, top, left + c.width, top + c.height};
}

void WebSurface::begin(const Damage& damage) {
  for (const Box& d : damage) {
    const Box b = d.clipped(bounds());
    if (b.empty()) {
      continue;
    }
    for (int y = b.top; y < b.bottom; ++y) {
      const auto at = static_cast<std::ptrdiff_t>(y) * width_ + b.left;
      std::fill_n(clip_.begin() + at, b.right - b.left, 1);
      std::fill_n(pixels_.begin() + at, b.right - b.left, pixel_of(kBlack));
    }
  }
}

void WebSurface::fill(int y, int x_begin, int x_end, std::uint32_t pixel) {
  if (y < 0 || y >= height_) {
    return;
  }
  const auto row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  for (int x = std::max(x_begin, 0); x < std::min(x_end, width_); ++x) {
    const std::size_t at = row + static_cast<std::size_t>(x);
    if (clip_[at] != 0) {
      pixels_[at] = pixel;
    }
  }
}

void WebSurface::draw(const Shape& shape) {
  switch (shape.kind) {
    case Shape::Kind::kCircle:
      circle_runs(shape.x1, shape.y1, shape.x2, scale_,
                  [&](int y, int begin, int end) { fill(y, begin, end, pixel_of(shape.colour)); });
      break;
    case Shape::Kind::kLine:
      line(shape);
      break;
    case Shape::Kind::kText:
      blend(shape.text, text_origin(shape.x1), text_origin(shape.y1), shape.colour, bounds());
      break;
  }
}

// A line's stroke is a rectangle: from the centre of its first end pixel to that of its last,
// half a line width past each (square caps) and to each side. A pixel is drawn when its centre
// lies inside, the far sides left out: a line of any slope has no gaps and covers both ends.
void WebSurface::line(const Shape& shape) {
  const double ax = device(shape.x1, scale_);
  const double ay = device(shape.y1, scale_);
  const double bx = device(shape.x2, scale_);
  const double by = device(shape.y2, scale_);
  const double half = line_width(scale_) / 2.0;
  const double length = std::sqrt((bx - ax) * (bx - ax) + (by - ay) * (by - ay));
  // Along the line, and across it; a line of no length is a square.
  const double ux = length > 0 ? (bx - ax) / length : 1;
  const double uy = length > 0 ? (by - ay) / length : 0;
  auto inside = [&](double px, double py) {
    const double along = (px - ax) * ux + (py - ay) * uy;
    const double across = (py - ay) * ux - (px - ax) * uy;
    return along >= -half && along < length + half && across >= -half && across < half;
  };
  const double reach = half * (std::abs(ux) + std::abs(uy));
  const double left = std::min(ax, bx) - reach;
  const double right = std::max(ax, bx) + reach;
  const int top = std::max(0, first_centre(std::min(ay, by) - reach));
  const int bottom = std::min(height_, first_centre(std::max(ay, by) + reach) + 1);
  for (int y = top; y < bottom; ++y) {
    const double py = y + 0.5;
    // Where the row's centres can lie inside: each pair of sides bounds them on either side
    // (a pixel of slack for rounding; the test of each pixel decides).
    double lo = left;
    double hi = right;
    auto between = [&](double slope, double at_ax, double from, double to) {
      if (slope != 0) {
        const double a = ax + (from - at_ax) / slope;
        const double b = ax + (to - at_ax) / slope;
        lo = std::max(lo, std::min(a, b));
        hi = std::min(hi, std::max(a, b));
      } else if (at_ax < from || at_ax >= to) {
        hi = lo - 2;
      }
    };
    between(ux, (py - ay) * uy, -half, length + half);
    between(-uy, (py - ay) * ux, -half, half);
    int begin = 0;
    bool on = false;
    const int last = std::min(width_, first_centre(hi) + 1);
    for (int x = std::max(0, first_centre(lo) - 1); x <= last; ++x) {
      const bool in = x < last && inside(x + 0.5, py);
      if (in && !on) {
        begin = x;
      } else if (!in && on) {
        fill(y, begin, x, pixel_of(shape.colour));
      }
      on = in;
    }
  }
}

// Each channel is the text's colour over what lies beneath, in proportion to its coverage.
void WebSurface::blend(std::string_view text, int x, int y, Colour c, const Box& limit) {
  const Coverage& glyphs = coverage(text);
  const int left = x - glyphs.left;
  const int top = y - glyphs.top;
  const Box area =
      Box{left, top, left + glyphs.width, top + glyphs.height}.clipped(limit).clipped(bounds());
  for (int j = area.top; j < area.bottom; ++j) {
    for (int i = area.left; i < area.right; ++i) {
      const std::size_t at = static_cast<std::size_t>(j) * static_cast<std::size_t>(width_) +
                             static_cast<std::size_t>(i);
      const std::uint32_t a =
          glyphs.alpha[static_cast<std::size_t>(j - top) * static_cast<std::size_t>(glyphs.width) +
                       static_cast<std::size_t>(i - left)];
      if (a == 0 || clip_[at] == 0) {
        continue;
      }
      std::uint32_t mixed = 0xFF000000u;
      for (const int shift : {0, 8, 16}) {
        const std::uint32_t over = (c >> shift) & 0xFF;
        const std::uint32_t under = (pixels_[at] >> shift) & 0xFF;
        mixed |= ((over * a + under * (255 - a) + 127) / 255) << shift;
      }
      pixels_[at] = mixed;
    }
  }
}

// The label's box covers the pixels whose centres lie in it; its caption stays inside.
void WebSurface::draw_label(const Label& label) {
  const double left = label.whole_left() * scale_;
  const double top = label.whole_top() * scale_;
  const Box box =
      Box{first_centre(left), first_centre(top), first_centre(left + Label::kWidth * scale_),
          first_centre(top + Label::kHeight * scale_)}
          .clipped(bounds());
  for (int y = box.top; y < box.bottom; ++y) {
    fill(y, box.left, box.right, pixel_of(label.back));
  }
  blend(label.caption, text_origin(label.whole_left()), text_origin(label.whole_top()), label.text,
        box);
}

void WebSurface::end(const Damage& damage) {
  std::vector<int> boxes;
  for (const Box& d : damage) {
    const Box b = d.clipped(bounds());
    if (b.empty()) {
      continue;
    }
    for (int y = b.top; y < b.bottom; ++y) {
      std::fill_n(clip_.begin() + static_cast<std::ptrdiff_t>(y) * width_ + b.left,
                  b.right - b.left, 0);
    }
    boxes.insert(boxes.end(), {b.left, b.top, b.right, b.bottom});
  }
  web_present(pixels_.data(), width_, height_, boxes.data(), static_cast<int>(boxes.size() / 4));
  presented_(damage);
}

}  // namespace rovanel
