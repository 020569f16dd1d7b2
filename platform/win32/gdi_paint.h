// What the GDI drawing functions share: the colour a brush paints and clipped pixel writes.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include <windows.h>

#include "platform/win32/device_context.h"

namespace win32::gdi {

// The colour of a stock brush or of a system-colour brush (index + 1), as 0x00RRGGBB; nothing for a
// handle that is no brush.
std::optional<uint32_t> BrushColour(HBRUSH brush);

bool Clipped(const DeviceContext& dc, int x, int y);

// Fills the rectangle, clipped to the context's clip area and the surface.
void Fill(DeviceContext& dc, const RECT& rect, uint32_t colour);

// Blends `colour` over the pixel with the coverage 0..255, when the pixel is not clipped.
void Blend(DeviceContext& dc, int x, int y, uint32_t colour, unsigned coverage);

// The sans-serif face at a size: its em in pixels (as a font of N points is N * 96 / 72 pixels).
struct FontMetrics {
  int height = 0;        // ascent + descent: a line of text
  int ascender = 0;
  int lineHeight = 0;    // from one line's top to the next
  int averageWidth = 0;  // the mean width of the 52 Latin letters, rounded as dialog units need
};
// Nothing when no face is installed.
std::optional<FontMetrics> Metrics(int pixelSize);
int TextWidth(std::u16string_view text, int pixelSize);

// The text in the rectangle as DrawTextW lays it out (the same formats), in `colour` and at
// `pixelSize`; gives the height of the text and, with DT_CALCRECT, only measures it.
int DrawText(DeviceContext& dc, std::u16string_view text, RECT& rect, UINT format, uint32_t colour, int pixelSize);

}  // namespace win32::gdi
