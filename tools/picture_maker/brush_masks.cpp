#include "brush_masks.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace picture {

namespace {

float Smooth(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// A mask over the picture's texture coordinates u, v in [0, 1]; `aspect` is the width over the
// height of the picture it belongs to, so that round shapes stay round on it, or 0 for a mask that
// changes only down the picture and so needs no more than a few texels across.
struct Mask {
  float aspect;
  std::function<float(float x, float v)> weight;  // x = u x aspect: lengths in picture heights
};

const std::map<std::string, Mask>& Masks() {
  static const std::map<std::string, Mask> masks = {
      // The sunset's sea below its horizon at 0.6 of the height; the sun above it stays still.
      {"sea", {0.0f, [](float, float v) { return Smooth(0.61f, 0.67f, v); }}},
      // The lake below its shore line at 0.58 of the height.
      {"lake", {0.0f, [](float, float v) { return Smooth(0.59f, 0.65f, v); }}},
      // The ground around the campfire's base, fading before the trees, the sky and the moon.
      {"firelight", {1.6f, [](float x, float v) {
         const float d = std::hypot(x - 0.503f * 1.6f, (v - 0.81f) * 1.3f);
         return Smooth(0.62f, 0.1f, d) * Smooth(0.5f, 0.66f, v);
       }}},
      // A soft disc about the middle of the mountains: the middle turns, the rim stays.
      {"swirl", {1.6f, [](float x, float v) { return Smooth(0.5f, 0.04f, std::hypot(x - 0.8f, v - 0.5f)); }}},
      // A ring of air around the desert's blast, clear of the fireball and of the far sky.
      {"blast", {1.6f, [](float x, float v) {
         const float d = std::hypot(x - 0.5f * 1.6f, v - 0.6f);
         return Smooth(0.04f, 0.14f, d) * Smooth(0.62f, 0.3f, d);
       }}},
      // The desert's dunes and the air just above them, where the wind carries the sand.
      {"dunes", {0.0f, [](float, float v) { return 0.15f + 0.85f * Smooth(0.42f, 0.72f, v); }}},
      // The desert's sky above the ridges, which the gusts push about.
      {"sky", {0.0f, [](float, float v) { return Smooth(0.46f, 0.3f, v); }}},
  };
  return masks;
}

}  // namespace

std::optional<Image> PaintBrushMask(const std::string& kind) {
  auto found = Masks().find(kind);
  if (found == Masks().end()) return std::nullopt;
  const Mask& mask = found->second;
  // Smooth masks: their sharpest edge (the sea's) spans six hundredths of the picture's height, eight
  // of 128 rows, which the brush reads filtered; more rows would be texture memory for nothing.
  constexpr int kHeight = 128, kRowsOnlyWidth = 4;
  const int width = mask.aspect > 0.0f ? static_cast<int>(kHeight * mask.aspect) : kRowsOnlyWidth;
  Image image(width, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < width; ++x) {
      const float v = (y + 0.5f) / kHeight;
      const float w = std::clamp(mask.weight((x + 0.5f) / kHeight, v), 0.0f, 1.0f);
      image.At(x, y) = {w, w, w};
    }
  return image;
}

}  // namespace picture
