// What the GDI drawing functions share: the colour a brush paints and clipped pixel writes.
#pragma once
#include <cstdint>
#include <optional>

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

}  // namespace win32::gdi
