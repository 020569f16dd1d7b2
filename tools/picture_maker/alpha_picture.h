// A picture with coverage, for the textures that are blended over a slide (the glyph strip, the
// glass ball's highlights and stand): linear colour and alpha in [0, 1], written as an RGBA PNG.
#pragma once
#include <string>
#include <vector>

#include "image.h"

namespace picture {

class AlphaPicture {
 public:
  // Fully transparent black.
  AlphaPicture(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  Color& At(int x, int y) { return colors_[Index(x, y)]; }
  float& Alpha(int x, int y) { return alphas_[Index(x, y)]; }
  // Lays `color` with coverage `alpha` over the pixel ("over" compositing); outside nothing happens.
  void Paint(int x, int y, Color color, float alpha);

  bool WritePng(const std::string& path) const;

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  int width_, height_;
  std::vector<Color> colors_;
  std::vector<float> alphas_;
};

}  // namespace picture
