// The saver's canvas with GDI: a back buffer the size of the saver window, drawn in the primary
// monitor's coordinates. The status label is a child control of the window; the canvas only keeps
// what it should show, and the window applies that when it presents a frame.
#pragma once

#include <windows.h>

#include <string>

#include "display/canvas.hpp"

namespace rovanel {

struct LabelState {
  std::wstring caption;
  Colour text = kWhite;
  Colour back = kBlack;
  POINT position{8, 0};  // primary-monitor coordinates
};

class GdiCanvas final : public Canvas {
 public:
  // area: the part of the screen the saver window covers, in screen coordinates (the primary
  // monitor's top left corner is the origin).
  explicit GdiCanvas(RECT area);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void set_text_colour(Colour c) override { SetTextColor(dc_, c); }
  void circle(float x, float y, float radius, Colour c) override;
  void set_label_colours(Colour text, Colour back) override;
  void set_label_caption(std::string_view caption) override;
  void set_label_position(float left, float top) override;
  // The primary monitor's width in pixels at 96 dpi, read at every call.
  float screen_width() override;

  // Copies the whole buffer to the window's client area.
  void blit(HDC target) const;
  const LabelState& label() const { return label_; }

 protected:
  void clear_drawing() override;
  void draw_line(float x1, float y1, float x2, float y2, Colour c) override;
  void draw_text(float x, float y, std::string_view text) override;

 private:
  RECT area_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_bitmap_;
  LabelState label_;
};

}  // namespace rovanel
