#include "image_files.h"

#include <jpeglib.h>
#include <png.h>

#include <cstdio>

namespace d3dx_test {
namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void PutBgr(Bytes& b, uint32_t argb) { b.insert(b.end(), {uint8_t(argb), uint8_t(argb >> 8), uint8_t(argb >> 16)}); }

}  // namespace

uint32_t QuadrantColour(int x, int y, int w, int h, bool alpha) {
  const bool right = x >= w / 2, bottom = y >= h / 2;
  if (!right && !bottom) return alpha ? 0x80FF0000u : 0xFFFF0000u;
  if (right && !bottom) return 0xFF00FF00u;
  if (!right && bottom) return 0xFF0000FFu;
  return 0xFFFFFFFFu;
}

Bytes Png(int w, int h, bool alpha) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w);
  image.height = png_uint_32(h);
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = QuadrantColour(x, y, w, h, alpha);
      pixels.insert(pixels.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
      if (alpha) pixels.push_back(uint8_t(c >> 24));
    }
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  Bytes out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

Bytes Jpeg(int w, int h) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(w);
  info.image_height = JDIMENSION(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  // Full-resolution colour, so that the quadrant borders stay sharp enough to check.
  for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(size_t(w) * 3);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < w; ++x) {
      const uint32_t c = QuadrantColour(x, int(info.next_scanline), w, h, false);
      row[x * 3] = uint8_t(c >> 16);
      row[x * 3 + 1] = uint8_t(c >> 8);
      row[x * 3 + 2] = uint8_t(c);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  free(buffer);
  return out;
}

Bytes Bmp24BottomUp(int w, int h) {
  const int rowBytes = (w * 3 + 3) & ~3;
  Bytes b{'B', 'M'};
  Put32(b, uint32_t(54 + rowBytes * h));
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));  // positive: the last row comes first
  Put16(b, 1);
  Put16(b, 24);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) PutBgr(b, QuadrantColour(x, y, w, h, false));
    for (int p = w * 3; p < rowBytes; ++p) b.push_back(0);
  }
  return b;
}

Bytes Bmp32TopDown(int w, int h) {
  Bytes b{'B', 'M'};
  Put32(b, uint32_t(54 + w * 4 * h));
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(-h));  // negative: the first row comes first
  Put16(b, 1);
  Put16(b, 32);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      PutBgr(b, QuadrantColour(x, y, w, h, false));
      b.push_back(0);
    }
  return b;
}

Bytes Tga(int w, int h, int bits, bool rle, bool topDown) {
  const bool alpha = bits == 32;
  Bytes b{0, 0, uint8_t(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(b, uint16_t(w));
  Put16(b, uint16_t(h));
  b.push_back(uint8_t(bits));
  b.push_back(uint8_t((topDown ? 0x20 : 0) | (alpha ? 8 : 0)));
  auto pixel = [&](uint32_t c) {
    PutBgr(b, c);
    if (alpha) b.push_back(uint8_t(c >> 24));
  };
  for (int row = 0; row < h; ++row) {
    const int y = topDown ? row : h - 1 - row;
    if (!rle) {
      for (int x = 0; x < w; ++x) pixel(QuadrantColour(x, y, w, h, alpha));
      continue;
    }
    // Runs of equal pixels within the row, at most 128 a packet; single pixels as raw packets.
    for (int x = 0; x < w;) {
      const uint32_t c = QuadrantColour(x, y, w, h, alpha);
      int n = 1;
      while (x + n < w && n < 128 && QuadrantColour(x + n, y, w, h, alpha) == c) ++n;
      b.push_back(uint8_t(n > 1 ? 0x80 | (n - 1) : 0));
      pixel(c);
      x += n;
    }
  }
  return b;
}

std::vector<ImageFile> AllFormats(int w, int h) {
  return {
      {"png rgb", Png(w, h, false), false, false},
      {"png rgba", Png(w, h, true), false, true},
      {"jpeg", Jpeg(w, h), true, false},
      {"bmp 24 bottom-up", Bmp24BottomUp(w, h), false, false},
      {"bmp 32 top-down", Bmp32TopDown(w, h), false, false},
      {"tga 24 bottom-up", Tga(w, h, 24, false, false), false, false},
      {"tga 32 top-down", Tga(w, h, 32, false, true), false, true},
      {"tga 24 rle top-down", Tga(w, h, 24, true, true), false, false},
      {"tga 32 rle bottom-up", Tga(w, h, 32, true, false), false, true},
  };
}

}  // namespace d3dx_test
