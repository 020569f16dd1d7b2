#include "image_files.h"

#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <cstdlib>
#include <stdexcept>

namespace test_images {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutBgr(std::vector<uint8_t>& out, uint32_t rgb) {
  out.push_back(rgb & 0xFF);
  out.push_back((rgb >> 8) & 0xFF);
  out.push_back((rgb >> 16) & 0xFF);
}

std::vector<uint8_t> RgbRows(int width, int height, const Painter& paint) {
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = paint(x, y);
      rgb.push_back((c >> 16) & 0xFF);
      rgb.push_back((c >> 8) & 0xFF);
      rgb.push_back(c & 0xFF);
    }
  }
  return rgb;
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

}  // namespace

uint32_t Quadrants(int width, int height, int x, int y) {
  const bool right = x >= width / 2;
  const bool bottom = y >= height / 2;
  if (!bottom) return right ? 0x00FF00 : 0xFF0000;
  return right ? 0xFFFFFF : 0x0000FF;
}

std::vector<uint8_t> Png(int width, int height, const Painter& paint) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> rgb = RgbRows(width, height, paint);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png encoding failed");
  }
  png_set_write_fn(png, &out, PngWrite, nullptr);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgb.data() + size_t(y) * width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> Jpeg(int width, int height, const Painter& paint) {
  std::vector<uint8_t> rgb = RgbRows(width, height, paint);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;  // the library's own type for the output size
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = rgb.data() + size_t(cinfo.next_scanline) * width * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> Bmp(int width, int height, const Painter& paint) {
  const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * height;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + pixelBytes);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);  // positive: bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, pixelBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) PutBgr(out, paint(x, y));
    for (uint32_t pad = uint32_t(width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> Tga(int width, int height, const Painter& paint) {
  std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(out, width);
  Put16(out, height);
  out.push_back(24);
  out.push_back(0);  // origin bottom-left
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) PutBgr(out, paint(x, y));
  }
  return out;
}

}  // namespace test_images
