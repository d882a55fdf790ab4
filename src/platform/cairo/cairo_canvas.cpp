#include "platform/cairo/cairo_canvas.hpp"

#include <cmath>

namespace rovanel {

namespace {
// The usual user-interface font: sans-serif, 9 points (12 pixels at 96 dpi).
constexpr const char* kFont = "Sans 9";
}  // namespace

CairoCanvas::CairoCanvas(cairo_surface_t* surface, float screen_width)
    : cr_(cairo_create(surface)),
      layout_(pango_cairo_create_layout(cr_)),
      screen_width_(screen_width) {
  // Crisp one-pixel lines and circles, as a window system draws them.
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr_, 1.0);
  // Square caps: a line covers both of its end pixels.
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
  PangoFontDescription* font = pango_font_description_from_string(kFont);
  pango_layout_set_font_description(layout_, font);
  pango_font_description_free(font);
}

CairoCanvas::~CairoCanvas() {
  g_object_unref(layout_);
  cairo_destroy(cr_);
}

void CairoCanvas::set_source(Colour c) {
  cairo_set_source_rgb(cr_, red_of(c) / 255.0, green_of(c) / 255.0, blue_of(c) / 255.0);
}

void CairoCanvas::clear_drawing() {
  set_source(kBlack);
  cairo_paint(cr_);
}

// Pixel (i, j) covers [i, i+1) x [j, j+1): whole coordinates go through pixel centres.
void CairoCanvas::draw_line(float x1, float y1, float x2, float y2, Colour c) {
  set_source(c);
  cairo_move_to(cr_, x1 + 0.5, y1 + 0.5);
  cairo_line_to(cr_, x2 + 0.5, y2 + 0.5);
  cairo_stroke(cr_);
}

void CairoCanvas::circle(float x, float y, float radius, Colour c) {
  set_source(c);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x + 0.5, y + 0.5, radius, 0, 2 * M_PI);
  cairo_stroke(cr_);
}

void CairoCanvas::show_text(double x, double y, std::string_view text, Colour c) {
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  set_source(c);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout_);
}

void CairoCanvas::draw_text(float x, float y, std::string_view text) {
  show_text(x, y, text, text_colour_);
}

void CairoCanvas::set_label_colours(Colour text, Colour back) {
  label_text_ = text;
  label_back_ = back;
}

void CairoCanvas::set_label_caption(std::string_view caption) {
  label_caption_ = caption;
}

void CairoCanvas::set_label_position(float left, float top) {
  label_left_ = std::round(left);
  label_top_ = std::round(top);
}

void CairoCanvas::compose_label() {
  cairo_save(cr_);
  cairo_rectangle(cr_, label_left_, label_top_, kLabelWidth, kLabelHeight);
  cairo_clip_preserve(cr_);
  set_source(label_back_);
  cairo_fill(cr_);
  show_text(label_left_, label_top_, label_caption_, label_text_);
  cairo_restore(cr_);
}

}  // namespace rovanel
