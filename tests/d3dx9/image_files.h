// Picture files of each format, written byte by byte (PNG and JPEG through their libraries), with
// four quadrants of different colours so that orientation and channel order show.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace d3dx_test {

using Bytes = std::vector<uint8_t>;

// 0xAARRGGBB of the picture at (x, y): top-left red, top-right green, bottom-left blue, bottom-right
// white. With `alpha`, the top-left quadrant is half transparent.
uint32_t QuadrantColour(int x, int y, int w, int h, bool alpha);

struct ImageFile {
  std::string name;
  Bytes bytes;
  bool lossy;   // JPEG: colours only approximately
  bool alpha;   // the file carries transparency
};

Bytes Png(int w, int h, bool alpha);
Bytes Jpeg(int w, int h);
Bytes Bmp24BottomUp(int w, int h);
Bytes Bmp32TopDown(int w, int h);
Bytes Tga(int w, int h, int bits, bool rle, bool topDown);

// One of each kind the loaders must read.
std::vector<ImageFile> AllFormats(int w, int h);

}  // namespace d3dx_test
