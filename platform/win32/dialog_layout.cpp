#include "platform/win32/dialog_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/gdi_paint.h"
#include "platform/win32/x11_display.h"

namespace win32 {
namespace {

// The screen dialogs were drawn for: a template's sizes are what they are at 96 pixels per inch.
constexpr double kDesignDpi = 96;
// Without a font in the template (or when its face cannot be had), the one of windows: 13 pixels,
// with base units of 6 across and 13 down, at 96 pixels per inch.
constexpr int kDefaultFontPixels = 13;
constexpr int kDefaultBaseX = 6;
constexpr int kDefaultBaseY = 13;

int Scaled(int pixels, double scale) { return std::max(1, static_cast<int>(std::lround(pixels * scale))); }

}  // namespace

DialogLayout LayoutOf(const DialogTemplate& dialogTemplate) {
  const double scale = x11::ScreenDpi().value_or(kDesignDpi) / kDesignDpi;
  int fontPixels = kDefaultFontPixels;
  int baseX = kDefaultBaseX;
  int baseY = kDefaultBaseY;
  if (dialogTemplate.pointSize > 0) {
    // Points are 1/72 inch.
    const int pixels = (dialogTemplate.pointSize * 96 + 36) / 72;
    if (gdi::Metrics(pixels)) fontPixels = pixels;
  }
  if (const auto metrics = gdi::Metrics(fontPixels); metrics && metrics->averageWidth > 0 && metrics->height > 0) {
    baseX = metrics->averageWidth;
    baseY = metrics->height;
  }
  DialogLayout layout{fontPixels, baseX * scale / 4, baseY * scale / 8};
  // The font at the screen's size, where it can be had.
  if (const int scaled = Scaled(fontPixels, scale); gdi::Metrics(scaled)) layout.fontPixels = scaled;
  return layout;
}

}  // namespace win32
