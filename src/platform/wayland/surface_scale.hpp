// How the show's surface on Wayland is scaled: a pure rule, so that every case can be tested.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>

namespace rovanel {

struct SurfaceScale {
  float drawing = 1;      // device pixels per logical pixel, as the show is drawn
  int buffer = 1;         // wl_surface.set_buffer_scale
  bool viewport = false;  // the viewport maps the buffer onto the surface's logical size

  bool operator==(const SurfaceScale&) const = default;
};

// output: the output's integer scale; preferred: its fractional scale in 120ths, 0 if untold;
// forced: ROVANEL_SCALE; viewporter: whether the compositor offers wp_viewporter. A scale that
// is not whole needs the viewport; without one the nearest whole scale keeps the surface at its
// logical size.
inline SurfaceScale surface_scale(int output, int preferred, std::optional<float> forced,
                                  bool viewporter) {
  if (forced && viewporter) {
    return {*forced, 1, true};
  }
  if (forced) {
    const int whole = std::max(1, static_cast<int>(std::lround(*forced)));
    return {static_cast<float>(whole), whole, false};
  }
  if (preferred > 0 && viewporter) {
    return {static_cast<float>(preferred) / 120.0f, 1, true};
  }
  return {static_cast<float>(output), output, false};
}

}  // namespace rovanel
