// The pictures and graphics behind the GDI+ handles.
#pragma once
#include <cstdint>
#include <vector>

#include <gdiplus.h>

struct GpImage {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint32_t> pixels;  // A8R8G8B8, row-major
};

struct GpGraphics {
  HWND window = nullptr;
};

namespace gdiplus {

// Decodes a PNG file held in memory; false for anything else or a damaged file.
bool DecodePng(const std::vector<BYTE>& file, GpImage& image);

}  // namespace gdiplus
