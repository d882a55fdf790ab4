// The screen as the driver sees it: its size in pixels at 96 dpi, which a face measures from an
// area of device pixels drawn at a scale. Small on purpose: the faces include this, not the
// solver.
#pragma once

#include <cmath>

namespace rovanel {

struct ScreenSize {
  int width = 0;  // pixels at 96 dpi
  int height = 0;
};

// The scales a face draws at: device pixels per pixel of the show.
inline constexpr float kMinScale = 0.5f;
inline constexpr float kMaxScale = 8.0f;

// The show's size in its own pixels (96-dpi pixels) on an area of device pixels drawn at a
// scale: never larger than the area divided by the scale, so nothing of the show falls off it.
inline ScreenSize show_size(int width, int height, float scale) {
  return {static_cast<int>(std::floor(static_cast<float>(width) / scale)),
          static_cast<int>(std::floor(static_cast<float>(height) / scale))};
}

}  // namespace rovanel
