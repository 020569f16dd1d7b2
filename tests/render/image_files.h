// Small picture files built in memory, independently of the decoders under test.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace test_images {

// 0x00RRGGBB of the pixel at (x, y), y = 0 at the top.
using Painter = std::function<uint32_t(int x, int y)>;

std::vector<uint8_t> Png(int width, int height, const Painter& paint);
std::vector<uint8_t> Jpeg(int width, int height, const Painter& paint);
std::vector<uint8_t> Bmp(int width, int height, const Painter& paint);  // 24 bit, bottom-up
std::vector<uint8_t> Tga(int width, int height, const Painter& paint);  // 24 bit, uncompressed, bottom-up

// Four flat quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
uint32_t Quadrants(int width, int height, int x, int y);

}  // namespace test_images
