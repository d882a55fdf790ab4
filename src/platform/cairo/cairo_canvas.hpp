// The saver's canvas on any cairo surface, with Pango for text; shared by the offscreen and the
// X11 faces.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <string>

#include "display/canvas.hpp"

namespace rovanel {

class CairoCanvas final : public Canvas {
 public:
  // Draws on the surface (a reference is taken); width is what screen_width() reports.
  CairoCanvas(cairo_surface_t* surface, float screen_width);
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  void set_text_colour(Colour c) override { text_colour_ = c; }
  void circle(float x, float y, float radius, Colour c) override;
  void set_label_colours(Colour text, Colour back) override;
  void set_label_caption(std::string_view caption) override;
  void set_label_position(float left, float top) override;
  float screen_width() override { return screen_width_; }

  // Draws the status label on top of what is drawn so far: the finished frame.
  void compose_label();
  // Everything drawn reaches the surface.
  void flush() { cairo_surface_flush(cairo_get_target(cr_)); }

 protected:
  void clear_drawing() override;
  void draw_line(float x1, float y1, float x2, float y2, Colour c) override;
  void draw_text(float x, float y, std::string_view text) override;

 private:
  void set_source(Colour c);
  void show_text(double x, double y, std::string_view text, Colour c);

  cairo_t* cr_;
  PangoLayout* layout_;
  float screen_width_;
  Colour text_colour_ = kBlack;
  Colour label_text_ = kBlack;
  Colour label_back_ = kBlack;
  std::string label_caption_;
  double label_left_ = 8;
  double label_top_ = 0;
};

}  // namespace rovanel
