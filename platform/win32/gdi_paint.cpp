#include "platform/win32/gdi_paint.h"

#include <algorithm>

namespace win32::gdi {

namespace {

struct StockBrush {
  int object;
  uint32_t colour;
};

// Addresses of these records are the handles GetStockObject gives.
StockBrush g_blackBrush{BLACK_BRUSH, 0x000000};

uint32_t SystemColour(uintptr_t index) {
  switch (index) {
    case COLOR_WINDOW:
      return 0xFFFFFF;
    default:
      return 0xC0C0C0;
  }
}

}  // namespace

std::optional<uint32_t> BrushColour(HBRUSH brush) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(brush);
  // System colour indices run from 0 to 30; their brushes are index + 1.
  if (value >= 1 && value <= 31) return SystemColour(value - 1);
  if (brush == reinterpret_cast<HBRUSH>(&g_blackBrush)) return g_blackBrush.colour;
  return std::nullopt;
}

bool Clipped(const DeviceContext& dc, int x, int y) {
  if (!dc.surface || x < 0 || y < 0 || x >= dc.surface->width || y >= dc.surface->height) return true;
  for (const RECT& r : dc.clip)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return false;
  return true;
}

void Fill(DeviceContext& dc, const RECT& rect, uint32_t colour) {
  if (!dc.surface) return;
  Surface& surface = *dc.surface;
  for (const RECT& clip : dc.clip) {
    const LONG left = std::max({rect.left, clip.left, (LONG)0});
    const LONG top = std::max({rect.top, clip.top, (LONG)0});
    const LONG right = std::min({rect.right, clip.right, (LONG)surface.width});
    const LONG bottom = std::min({rect.bottom, clip.bottom, (LONG)surface.height});
    if (left >= right) continue;  // this clip rectangle and the fill do not meet
    // The clip rectangles do not overlap, so no pixel is written twice.
    for (LONG y = top; y < bottom; ++y)
      std::fill(surface.pixels.begin() + (size_t)y * surface.width + left,
                surface.pixels.begin() + (size_t)y * surface.width + right, colour);
  }
}

void Blend(DeviceContext& dc, int x, int y, uint32_t colour, unsigned coverage) {
  if (coverage == 0 || Clipped(dc, x, y)) return;
  uint32_t& pixel = dc.surface->pixels[(size_t)y * dc.surface->width + x];
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned under = (pixel >> shift) & 0xFF;
    const unsigned over = (colour >> shift) & 0xFF;
    result |= ((over * coverage + under * (255 - coverage) + 127) / 255) << shift;
  }
  pixel = result;
}

}  // namespace win32::gdi

HGDIOBJ WINAPI GetStockObject(int object) {
  if (object == BLACK_BRUSH) return &win32::gdi::g_blackBrush;
  return nullptr;
}
