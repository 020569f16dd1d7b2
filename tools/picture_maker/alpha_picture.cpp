#include "alpha_picture.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

namespace picture {

AlphaPicture::AlphaPicture(int width, int height)
    : width_(width),
      height_(height),
      colors_(static_cast<size_t>(width) * height, Color{0, 0, 0}),
      alphas_(static_cast<size_t>(width) * height, 0.0f) {}

void AlphaPicture::Paint(int x, int y, Color color, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  alpha = std::clamp(alpha, 0.0f, 1.0f);
  if (alpha <= 0.0f) return;
  Color& c = At(x, y);
  float& a = Alpha(x, y);
  const float out = alpha + a * (1.0f - alpha);
  // Colours are kept unpremultiplied, as the PNG stores them.
  c = Mix(Color{c.r * a, c.g * a, c.b * a}, color, alpha);
  c = {c.r / out, c.g / out, c.b / out};
  a = out;
}

bool AlphaPicture::WritePng(const std::string& path) const {
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
  png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  auto channel = [](float v) { return static_cast<unsigned char>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
  std::vector<unsigned char> row(static_cast<size_t>(width_) * 4);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Color& c = colors_[Index(x, y)];
      unsigned char* p = &row[static_cast<size_t>(x) * 4];
      p[0] = channel(c.r);
      p[1] = channel(c.g);
      p[2] = channel(c.b);
      p[3] = channel(alphas_[Index(x, y)]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace picture
