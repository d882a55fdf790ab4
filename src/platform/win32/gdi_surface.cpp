#include "platform/win32/gdi_surface.hpp"

#include <cmath>
#include <vector>

#include "platform/win32/win32_text.hpp"

namespace rovanel {

GdiSurface::GdiSurface(RECT area, SIZE primary, UINT dpi,
                       std::function<void(const Damage&)> present)
    : area_(area),
      primary_(primary),
      scale_(static_cast<float>(dpi) / 96.0f),
      line_width_(line_width(scale_)),
      dc_(CreateCompatibleDC(nullptr)),
      present_(std::move(present)) {
  if (dc_ == nullptr) {
    throw CreationError("cannot create a drawing context");
  }
  HDC screen = GetDC(nullptr);
  bitmap_ = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  if (bitmap_ == nullptr) {
    DeleteDC(dc_);
    throw CreationError("cannot create a back buffer of the screen's size");
  }
  old_bitmap_ = SelectObject(dc_, bitmap_);
  // Logical (0, 0) is the primary monitor's top left corner, wherever it lies in the buffer.
  SetViewportOrgEx(dc_, -area.left, -area.top, nullptr);
  SelectObject(dc_, GetStockObject(DC_PEN));
  SelectObject(dc_, GetStockObject(DC_BRUSH));
  SelectObject(dc_, ui_font(dpi));
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  PatBlt(dc_, area.left, area.top, area.right - area.left, area.bottom - area.top, BLACKNESS);
}

GdiSurface::~GdiSurface() {
  SelectObject(dc_, GetStockObject(DC_PEN));
  for (const auto& [colour, pen] : pens_) {
    DeleteObject(pen);
  }
  SelectObject(dc_, old_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

// The centre of a pixel of the show, scaled, as GDI's whole device pixels.
int GdiSurface::pixel(float v) const {
  return static_cast<int>(std::lround(device(v, scale_) - 0.5));
}

HPEN GdiSurface::pen(Colour c) {
  HPEN& p = pens_[c];
  if (p == nullptr) {
    const LOGBRUSH brush{BS_SOLID, c, 0};
    p = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER,
                     static_cast<DWORD>(line_width_), &brush, 0, nullptr);
  }
  return p;
}

Box GdiSurface::text_box(float x, float y, std::string_view text) {
  const std::wstring wide = widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
  // Text starts at the corner of its pixel; ClearType may reach a pixel or two past its cell.
  const int left = static_cast<int>(std::lround(x * scale_));
  const int top = static_cast<int>(std::lround(y * scale_));
  const int margin = 2 * line_width_;
  return {left - margin, top - margin, left + size.cx + margin, top + size.cy + margin};
}

// The damaged boxes become the clip region (in the buffer's own coordinates) and turn black.
void GdiSurface::begin(const Damage& damage) {
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  for (const Box& b : damage) {
    HRGN box = CreateRectRgn(b.left - area_.left, b.top - area_.top, b.right - area_.left,
                             b.bottom - area_.top);
    CombineRgn(clip, clip, box, RGN_OR);
    DeleteObject(box);
  }
  SelectClipRgn(dc_, clip);
  DeleteObject(clip);
  PatBlt(dc_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, BLACKNESS);
}

void GdiSurface::draw(const Shape& shape) {
  switch (shape.kind) {
    case Shape::Kind::kCircle:
      SetDCBrushColor(dc_, shape.colour);
      circle_runs(shape.x1, shape.y1, shape.x2, scale_, [this](int y, int begin, int end) {
        PatBlt(dc_, begin, y, end - begin, 1, PATCOPY);
      });
      break;
    case Shape::Kind::kLine:
      if (line_width_ == 1) {
        // A one-pixel pen leaves out the line's last pixel; the saver's lines cover both ends.
        SelectObject(dc_, GetStockObject(DC_PEN));
        SetDCPenColor(dc_, shape.colour);
        SetPixelV(dc_, pixel(shape.x2), pixel(shape.y2), shape.colour);
      } else {
        SelectObject(dc_, pen(shape.colour));
      }
      MoveToEx(dc_, pixel(shape.x1), pixel(shape.y1), nullptr);
      LineTo(dc_, pixel(shape.x2), pixel(shape.y2));
      break;
    case Shape::Kind::kText: {
      const std::wstring wide = widen(shape.text);
      SetTextColor(dc_, shape.colour);
      TextOutW(dc_, static_cast<int>(std::lround(shape.x1 * scale_)),
               static_cast<int>(std::lround(shape.y1 * scale_)), wide.c_str(),
               static_cast<int>(wide.size()));
      break;
    }
  }
}

void GdiSurface::end(const Damage& damage) {
  SelectClipRgn(dc_, nullptr);
  GdiFlush();
  present_(damage);
}

void GdiSurface::blit(HDC target, const Box& box) const {
  BitBlt(target, box.left - area_.left, box.top - area_.top, box.right - box.left,
         box.bottom - box.top, dc_, box.left, box.top, SRCCOPY);
}

}  // namespace rovanel
