// A frame of the saver window as a list of shapes: what repaint draws, in the window's pixels.
// Kept from one frame to the next, so that only what changed is drawn again.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace rovanel {

// Windows colour values: 0xBBGGRR, blue in the high byte.
using Colour = std::uint32_t;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kYellow = 0x00FFFF;
inline constexpr Colour kGreen = 0x00FF00;
inline constexpr Colour kRed = 0x0000FF;

inline constexpr int red_of(Colour c) {
  return static_cast<int>(c & 0xFF);
}
inline constexpr int green_of(Colour c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int blue_of(Colour c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

// One outline: a circle around (x1, y1) of radius x2, a line from (x1, y1) to (x2, y2), or a
// text with its top left corner at (x1, y1).
struct Shape {
  enum class Kind : std::uint8_t { kCircle, kLine, kText };
  Kind kind;
  Colour colour;
  float x1, y1, x2, y2;
  std::string_view text;  // a literal: the texts of a frame are constants

  bool operator==(const Shape&) const = default;
  // Field by field, in this order (emscripten's libc++ 14 has no <=> for string_view).
  bool operator<(const Shape& o) const {
    return std::tie(kind, colour, x1, y1, x2, y2, text) <
           std::tie(o.kind, o.colour, o.x1, o.y1, o.x2, o.y2, o.text);
  }
};

// lblStatus: an opaque box of fixed size on top of the drawing, with its caption.
struct Label {
  static constexpr int kWidth = 401;
  static constexpr int kHeight = 25;

  std::string caption;
  // White on black from the start, so no grey box flashes before the first frame.
  Colour text = kWhite;
  Colour back = kBlack;
  float left = 8;
  float top = 0;

  // The box lies on whole pixels of the show.
  double whole_left() const { return std::round(left); }
  double whole_top() const { return std::round(top); }

  bool operator==(const Label&) const = default;
};

// The drawing operations of the saver window, recorded: a current position that lines move and
// texts start from, a text colour, and the label that clearing leaves alone.
class Scene {
 public:
  void set_text_colour(Colour c) { text_colour_ = c; }
  // Erases the drawing and moves the current position to the origin.
  void clear() {
    shapes_.clear();
    cur_x_ = 0;
    cur_y_ = 0;
  }
  void circle(float x, float y, float radius, Colour c) {
    shapes_.push_back({Shape::Kind::kCircle, c, x, y, radius, 0, {}});
  }
  // Leaves the current position at the line's end.
  void line(float x1, float y1, float x2, float y2, Colour c) {
    shapes_.push_back({Shape::Kind::kLine, c, x1, y1, x2, y2, {}});
    cur_x_ = x2;
    cur_y_ = y2;
  }
  // The text's top left corner at the current position, in the text colour.
  void print(std::string_view literal) {
    shapes_.push_back({Shape::Kind::kText, text_colour_, cur_x_, cur_y_, 0, 0, literal});
  }

  const std::vector<Shape>& shapes() const { return shapes_; }

  Label label;

 private:
  std::vector<Shape> shapes_;
  Colour text_colour_ = kBlack;
  float cur_x_ = 0;
  float cur_y_ = 0;
};

}  // namespace rovanel
