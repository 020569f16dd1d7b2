// Whole rows of a surface at the speed of memory, in the widest registers of the machine: what the
// clears and the presentation write. Every instruction set writes the same values.
#pragma once
#include <cstddef>
#include <cstdint>

namespace d3d9 {

// to[0 .. count) = value.
void FillRow(uint32_t* to, size_t count, uint32_t value);

// to[0 .. count) = value, for depth rows.
void FillRow(float* to, size_t count, float value);

// to[i] = from[i] with its top byte set: a window shows no alpha, so the back buffer's (an
// A8R8G8B8 buffer's, or an X8R8G8B8 buffer's undefined one) is made opaque on the way.
void CopyRowOpaque(uint32_t* to, const uint32_t* from, size_t count);

// to[i] = from[columns[i]] with its top byte set: a row of a picture stretched by nearest pixel.
void ScaleRowOpaque(uint32_t* to, const uint32_t* from, const uint32_t* columns, size_t count);

}  // namespace d3d9
