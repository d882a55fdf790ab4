#include "platform/win32/gdi_canvas.hpp"

#include <cmath>

#include "platform/win32/win32_text.hpp"

namespace rovanel {

namespace {
int pixel(float v) {
  return static_cast<int>(std::lround(v));
}
}  // namespace

GdiCanvas::GdiCanvas(RECT area) : area_(area), dc_(CreateCompatibleDC(nullptr)) {
  HDC screen = GetDC(nullptr);
  bitmap_ = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  old_bitmap_ = SelectObject(dc_, bitmap_);
  // Logical (0, 0) is the primary monitor's top left corner, wherever it lies in the buffer.
  SetViewportOrgEx(dc_, -area.left, -area.top, nullptr);
  SelectObject(dc_, GetStockObject(DC_PEN));
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
  SelectObject(dc_, ui_font());
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  clear_drawing();
}

GdiCanvas::~GdiCanvas() {
  SelectObject(dc_, old_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void GdiCanvas::clear_drawing() {
  PatBlt(dc_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, BLACKNESS);
}

// GDI leaves out a line's last pixel; the saver's lines cover both ends.
void GdiCanvas::draw_line(float x1, float y1, float x2, float y2, Colour c) {
  SetDCPenColor(dc_, c);
  MoveToEx(dc_, pixel(x1), pixel(y1), nullptr);
  LineTo(dc_, pixel(x2), pixel(y2));
  SetPixelV(dc_, pixel(x2), pixel(y2), c);
}

// Ellipse leaves out the right and bottom edges of its box: one more pixel there keeps the
// outline symmetric about the centre.
void GdiCanvas::circle(float x, float y, float radius, Colour c) {
  SetDCPenColor(dc_, c);
  const int cx = pixel(x);
  const int cy = pixel(y);
  const int r = pixel(radius);
  Ellipse(dc_, cx - r, cy - r, cx + r + 1, cy + r + 1);
}

void GdiCanvas::draw_text(float x, float y, std::string_view text) {
  const std::wstring wide = widen(text);
  TextOutW(dc_, pixel(x), pixel(y), wide.c_str(), static_cast<int>(wide.size()));
}

void GdiCanvas::set_label_colours(Colour text, Colour back) {
  label_.text = text;
  label_.back = back;
}

void GdiCanvas::set_label_caption(std::string_view caption) {
  label_.caption = widen(caption);
}

void GdiCanvas::set_label_position(float left, float top) {
  label_.position = {pixel(left), pixel(top)};
}

float GdiCanvas::screen_width() {
  return static_cast<float>(GetSystemMetrics(SM_CXSCREEN));
}

void GdiCanvas::blit(HDC target) const {
  BitBlt(target, 0, 0, area_.right - area_.left, area_.bottom - area_.top, dc_, area_.left,
         area_.top, SRCCOPY);
}

}  // namespace rovanel
