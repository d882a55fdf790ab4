#include "platform/cairo/cairo_surface.hpp"

#include <cmath>
#include <string>

namespace rovanel {

namespace {
// The usual user-interface font: sans-serif, 9 points (12 pixels at 96 dpi).
constexpr const char* kFont = "Sans 9";
}  // namespace

CairoSurface::CairoSurface(cairo_surface_t* target, const Box& show, float scale,
                           std::function<void(const Damage&)> present)
    : cr_(cairo_create(target)),
      layout_(pango_cairo_create_layout(cr_)),
      origin_x_(show.left),
      origin_y_(show.top),
      scale_(scale),
      bounds_{0, 0, show.right - show.left, show.bottom - show.top},
      present_(std::move(present)) {
  // A new buffer may hold anything; a show laid out for a larger screen is cut at its edge.
  set_source(kBlack);
  cairo_paint(cr_);
  // Crisp lines and circles of whole device pixels, as a window system draws them.
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  // Square caps: a line covers both of its end pixels.
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
  use_show_space();
  cairo_set_line_width(cr_, line_width(scale) / static_cast<double>(scale));
  PangoFontDescription* font = pango_font_description_from_string(kFont);
  pango_layout_set_font_description(layout_, font);
  pango_font_description_free(font);
  pango_cairo_update_layout(cr_, layout_);
}

CairoSurface::~CairoSurface() {
  g_object_unref(layout_);
  cairo_destroy(cr_);
}

void CairoSurface::use_show_space() {
  cairo_identity_matrix(cr_);
  cairo_translate(cr_, origin_x_, origin_y_);
  cairo_scale(cr_, scale_, scale_);
}

void CairoSurface::set_source(Colour c) {
  cairo_set_source_rgb(cr_, red_of(c) / 255.0, green_of(c) / 255.0, blue_of(c) / 255.0);
}

Box CairoSurface::text_box(float x, float y, std::string_view text) {
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  PangoRectangle ink;
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, &ink, &logical);
  const double s = scale_;
  const double left = double{x} + std::min(ink.x, logical.x);
  const double top = double{y} + std::min(ink.y, logical.y);
  const double right = double{x} + std::max(ink.x + ink.width, logical.x + logical.width);
  const double bottom = double{y} + std::max(ink.y + ink.height, logical.y + logical.height);
  // Glyphs are hinted at device resolution: a pixel either way.
  return {static_cast<int>(std::floor(left * s)) - 2, static_cast<int>(std::floor(top * s)) - 2,
          static_cast<int>(std::ceil(right * s)) + 2, static_cast<int>(std::ceil(bottom * s)) + 2};
}

void CairoSurface::begin(const Damage& damage) {
  cairo_reset_clip(cr_);
  cairo_identity_matrix(cr_);
  for (const Box& b : damage) {
    cairo_rectangle(cr_, b.left + origin_x_, b.top + origin_y_, b.right - b.left, b.bottom - b.top);
  }
  cairo_clip(cr_);
  use_show_space();
  set_source(kBlack);
  cairo_paint(cr_);
}

// Pixel (i, j) covers [i, i+1) x [j, j+1): whole coordinates go through pixel centres.
void CairoSurface::draw(const Shape& shape) {
  set_source(shape.colour);
  switch (shape.kind) {
    case Shape::Kind::kCircle:
      cairo_identity_matrix(cr_);
      cairo_translate(cr_, origin_x_, origin_y_);
      circle_runs(shape.x1, shape.y1, shape.x2, scale_, [this](int y, int begin, int end) {
        cairo_rectangle(cr_, begin, y, end - begin, 1);
      });
      cairo_fill(cr_);
      use_show_space();
      break;
    case Shape::Kind::kLine:
      cairo_move_to(cr_, shape.x1 + 0.5, shape.y1 + 0.5);
      cairo_line_to(cr_, shape.x2 + 0.5, shape.y2 + 0.5);
      cairo_stroke(cr_);
      break;
    case Shape::Kind::kText:
      show_text(shape.x1, shape.y1, shape.text, shape.colour);
      break;
  }
}

void CairoSurface::show_text(double x, double y, std::string_view text, Colour c) {
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  set_source(c);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout_);
}

void CairoSurface::draw_label(const Label& label) {
  const double left = label.whole_left();
  const double top = label.whole_top();
  cairo_save(cr_);
  cairo_rectangle(cr_, left, top, Label::kWidth, Label::kHeight);
  cairo_clip_preserve(cr_);
  set_source(label.back);
  cairo_fill(cr_);
  show_text(left, top, label.caption, label.text);
  cairo_restore(cr_);
}

void CairoSurface::end(const Damage& damage) {
  cairo_reset_clip(cr_);
  cairo_surface_flush(cairo_get_target(cr_));
  present_(damage);
}

}  // namespace rovanel
