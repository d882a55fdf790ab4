// What drawing the saver window needs of a window system.
#pragma once

#include <cstdint>
#include <string_view>

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

// A drawing surface in pixels, origin top left, with a current drawing position and a status
// label that lies on top of the drawing (clearing the drawing leaves it alone).
class Canvas {
 public:
  static constexpr int kLabelWidth = 401;
  static constexpr int kLabelHeight = 25;

  virtual ~Canvas() = default;

  virtual void set_text_colour(Colour c) = 0;
  // Erases the drawing to black and moves the current position to the origin.
  void clear() {
    clear_drawing();
    cur_x_ = 0;
    cur_y_ = 0;
  }
  // Leaves the current position at the line's end.
  void line(float x1, float y1, float x2, float y2, Colour c) {
    draw_line(x1, y1, x2, y2, c);
    cur_x_ = x2;
    cur_y_ = y2;
  }
  virtual void circle(float x, float y, float radius, Colour c) = 0;
  // The text's top left corner at the current position, in the text colour.
  void print(std::string_view text) { draw_text(cur_x_, cur_y_, text); }

  virtual void set_label_colours(Colour text, Colour back) = 0;
  virtual void set_label_caption(std::string_view caption) = 0;
  virtual void set_label_position(float left, float top) = 0;

  virtual float screen_width() = 0;

 protected:
  virtual void clear_drawing() = 0;
  virtual void draw_line(float x1, float y1, float x2, float y2, Colour c) = 0;
  virtual void draw_text(float x, float y, std::string_view text) = 0;

 private:
  float cur_x_ = 0;
  float cur_y_ = 0;
};

}  // namespace rovanel
