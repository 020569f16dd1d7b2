#include "image.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdio>

namespace picture {

Color Mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Image::Image(int width, int height) : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

void Image::Blend(int x, int y, Color color, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Color& p = At(x, y);
  p = Mix(p, color, std::clamp(alpha, 0.0f, 1.0f));
}

std::vector<unsigned char> Image::Bytes() const {
  std::vector<unsigned char> bytes;
  bytes.reserve(pixels_.size() * 3);
  auto channel = [](float v) { return static_cast<unsigned char>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
  for (const Color& c : pixels_) {
    bytes.push_back(channel(c.r));
    bytes.push_back(channel(c.g));
    bytes.push_back(channel(c.b));
  }
  return bytes;
}

bool Image::WriteJpeg(const std::string& path, int quality) const {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width_);
  info.image_height = static_cast<JDIMENSION>(height_);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> bytes = Bytes();
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = bytes.data() + static_cast<size_t>(info.next_scanline) * width_ * 3;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

bool Image::WritePng(const std::string& path) const {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<unsigned char> bytes = Bytes();
  for (int y = 0; y < height_; ++y) png_write_row(png, bytes.data() + static_cast<size_t>(y) * width_ * 3);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace picture
