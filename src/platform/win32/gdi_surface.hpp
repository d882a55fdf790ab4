// Frames with GDI: a back buffer the size of the saver window, drawn in the primary monitor's
// coordinates. The status label is a child control of the window; the surface only keeps what
// it should show, and the window applies that when it presents a frame.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <stdexcept>

#include "display/surface.hpp"

namespace rovanel {

// A window or drawing resource that could not be created.
struct CreationError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class GdiSurface final : public Surface {
 public:
  // area: the part of the screen the saver window covers, in device pixels relative to the
  // primary monitor's top left corner, where the show lies, drawn at dpi / 96 and never past
  // that monitor's size (primary); the rest stays black. present gets the damage of every
  // finished frame. Throws CreationError.
  GdiSurface(RECT area, SIZE primary, UINT dpi, std::function<void(const Damage&)> present);
  ~GdiSurface() override;
  GdiSurface(const GdiSurface&) = delete;
  GdiSurface& operator=(const GdiSurface&) = delete;

  float scale() const override { return scale_; }
  Box bounds() const override { return {0, 0, primary_.cx, primary_.cy}; }
  Box text_box(float x, float y, std::string_view text) override;
  void begin(const Damage& damage) override;
  void draw(const Shape& shape) override;
  void draw_label(const Label& label) override { label_ = label; }
  void end(const Damage& damage) override;

  // Copies a box of the buffer to the same place of the window's client area.
  void blit(HDC target, const Box& box) const;
  const Label& label() const { return label_; }

 private:
  // A coordinate of the show as a device pixel of the buffer.
  int pixel(float v) const;
  HPEN pen(Colour c);

  RECT area_;
  SIZE primary_;
  float scale_;
  int line_width_;
  std::map<Colour, HPEN> pens_;  // wider than a pixel, with square caps
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  Label label_;
  std::function<void(const Damage&)> present_;
};

}  // namespace rovanel
