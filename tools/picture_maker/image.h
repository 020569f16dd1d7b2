// A picture being painted: linear RGB in [0, 1], written out as JPEG or PNG.
#pragma once
#include <string>
#include <vector>

namespace picture {

struct Color {
  float r, g, b;
};

Color Mix(Color a, Color b, float t);

class Image {
 public:
  Image(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  Color& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Color& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // Blends `color` over the pixel with coverage `alpha`; outside the picture nothing happens.
  void Blend(int x, int y, Color color, float alpha);

  bool WriteJpeg(const std::string& path, int quality) const;
  bool WritePng(const std::string& path) const;

 private:
  std::vector<unsigned char> Bytes() const;
  int width_, height_;
  std::vector<Color> pixels_;
};

}  // namespace picture
