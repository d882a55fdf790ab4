// Frames on any cairo surface, with Pango for text; shared by the X11, Wayland and offscreen faces.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <functional>

#include "display/surface.hpp"

namespace rovanel {

class CairoSurface final : public Surface {
 public:
  // Draws on target (a reference is taken) inside show, the show's box in the target's device
  // pixels: nothing is drawn outside it, which stays black. present gets the damage of every
  // finished frame, once it has reached the target.
  CairoSurface(cairo_surface_t* target, const Box& show, float scale,
               std::function<void(const Damage&)> present);
  ~CairoSurface() override;
  CairoSurface(const CairoSurface&) = delete;
  CairoSurface& operator=(const CairoSurface&) = delete;

  float scale() const override { return scale_; }
  Box bounds() const override { return bounds_; }
  Box text_box(float x, float y, std::string_view text) override;
  void begin(const Damage& damage) override;
  void draw(const Shape& shape) override;
  void draw_label(const Label& label) override;
  void end(const Damage& damage) override;

 private:
  // User space: the show's pixels, scaled onto the device.
  void use_show_space();
  void set_source(Colour c);
  void show_text(double x, double y, std::string_view text, Colour c);

  cairo_t* cr_;
  PangoLayout* layout_;
  int origin_x_;
  int origin_y_;
  float scale_;
  Box bounds_;
  std::function<void(const Damage&)> present_;
};

}  // namespace rovanel
