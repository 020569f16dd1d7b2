#include "platform/win32/dialog_look.h"

#include "platform/win32/gdi_paint.h"

namespace win32::look {

std::u16string WithoutPrefixes(std::u16string_view text) {
  std::u16string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    else if (text[i] == u'&') continue;
    shown += text[i];
  }
  return shown;
}

RECT Canvas::Place(const RECT& rect) const {
  return {rect.left + origin_.x, rect.top + origin_.y, rect.right + origin_.x, rect.bottom + origin_.y};
}

void Canvas::Fill(const RECT& rect, uint32_t colour) { gdi::Fill(dc_, Place(rect), colour); }

void Canvas::Pixel(int x, int y, uint32_t colour) { gdi::Blend(dc_, x + origin_.x, y + origin_.y, colour, 255); }

void Canvas::Edge(const RECT& r, uint32_t topLeft, uint32_t bottomRight) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  Fill({r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  Fill({r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  Fill({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  Fill({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void Canvas::Raised(const RECT& r) {
  Edge(r, kHighlight, kDarkShadow);
  Edge({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kLight, kShadow);
}

void Canvas::Sunken(const RECT& r) {
  Edge(r, kShadow, kHighlight);
  Edge({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kDarkShadow, kLight);
}

void Canvas::FocusRect(const RECT& r) {
  for (LONG x = r.left; x < r.right; ++x) {
    if ((x - r.left) % 2 == 0) {
      Pixel(x, r.top, kDarkShadow);
      Pixel(x, r.bottom - 1, kDarkShadow);
    }
  }
  for (LONG y = r.top; y < r.bottom; ++y) {
    if ((y - r.top) % 2 == 0) {
      Pixel(r.left, y, kDarkShadow);
      Pixel(r.right - 1, y, kDarkShadow);
    }
  }
}

void Canvas::Text(std::u16string_view text, RECT rect, UINT format, bool enabled, uint32_t colour) {
  const std::u16string shown = WithoutPrefixes(text);
  if (!enabled) {
    RECT relief = Place({rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1});
    gdi::DrawText(dc_, shown, relief, format, kHighlight, font_);
    colour = kGreyText;
  }
  RECT placed = Place(rect);
  gdi::DrawText(dc_, shown, placed, format, colour, font_);
}

}  // namespace win32::look
