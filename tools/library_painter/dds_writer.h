// Writes the DDS files of the resource library: colour pictures as A8R8G8B8, bump maps as signed
// V8U8 offsets, each with the mip levels given.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace library_painter {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

// A picture in floats, top row first.
struct Canvas {
  int width = 0, height = 0;
  std::vector<Rgba> texels;
  Canvas(int w, int h) : width(w), height(h), texels(size_t(w) * h) {}
  Rgba& At(int x, int y) { return texels[size_t(y) * width + x]; }
  const Rgba& At(int x, int y) const { return texels[size_t(y) * width + x]; }
};

// The next smaller level: every 2 x 2 block averaged (a side of 1 stays 1).
Canvas HalfSize(const Canvas& canvas);

// `levels` levels from the canvas down (1: the canvas alone).
bool WriteColorDds(const std::string& path, const Canvas& canvas, int levels);
// Offsets in red (u) and green (v), each from -1 to 1.
bool WriteBumpDds(const std::string& path, const Canvas& canvas, int levels);

}  // namespace library_painter
