// Frames in the browser: a back buffer of RGBA pixels in the module's memory, drawn in whole
// device pixels, with texts from the browser's own font rendering; end() copies the damaged
// boxes to the page's canvas.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "display/surface.hpp"

namespace rovanel {

class WebSurface final : public Surface {
 public:
  // A buffer of width x height device pixels, the show's origin at its top left corner.
  // presented gets the damage of every frame once it has reached the canvas.
  WebSurface(int width, int height, float scale, std::function<void(const Damage&)> presented);

  float scale() const override { return scale_; }
  Box bounds() const override { return {0, 0, width_, height_}; }
  Box text_box(float x, float y, std::string_view text) override;
  void begin(const Damage& damage) override;
  void draw(const Shape& shape) override;
  void draw_label(const Label& label) override;
  void end(const Damage& damage) override;

  // Row by row; each pixel's bytes are red, green, blue and alpha, as a canvas holds them.
  const std::vector<std::uint32_t>& pixels() const { return pixels_; }

 private:
  // A text as the browser renders it: how much of each pixel it covers, 0 to 255, in a box
  // whose pixel (left, top) is the text's top left corner.
  struct Coverage {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    std::vector<std::uint8_t> alpha;
  };

  const Coverage& coverage(std::string_view text);
  // The device pixel where a text placed at (x, y) of the show starts.
  int text_origin(double v) const;
  // Pixels x_begin .. x_end - 1 of row y, where the clip lets them.
  void fill(int y, int x_begin, int x_end, std::uint32_t pixel);
  void line(const Shape& shape);
  // The text at device pixel (x, y) in colour c, inside limit and the clip.
  void blend(std::string_view text, int x, int y, Colour c, const Box& limit);

  int width_;
  int height_;
  float scale_;
  std::vector<std::uint32_t> pixels_;
  std::vector<std::uint8_t> clip_;  // 1 inside the damaged boxes, from begin to end
  std::unordered_map<std::string, Coverage> texts_;
  std::function<void(const Damage&)> presented_;
};

}  // namespace rovanel
