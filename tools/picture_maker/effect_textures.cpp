#include "effect_textures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"

namespace picture {

namespace {

constexpr float kTwoPi = 6.2831853f;

float Smooth(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// Noise of period `period` lattice cells in both directions: four shifted copies blended so that the
// values at opposite edges agree.
float Tiling(const Noise& noise, float x, float y, float period, int octaves) {
  const float a = x / period, b = y / period;
  return noise.Fractal(x, y, octaves) * (1 - a) * (1 - b) + noise.Fractal(x - period, y, octaves) * a * (1 - b) +
         noise.Fractal(x, y - period, octaves) * (1 - a) * b + noise.Fractal(x - period, y - period, octaves) * a * b;
}

// The blend of four copies flattens the middle; this stretches the values back over [0, 1].
float Contrast(float value) { return std::clamp((value - 0.5f) * 1.9f + 0.5f, 0.0f, 1.0f); }

}  // namespace

Image PaintFlameShape(int width, int height, int tongues, uint32_t seed) {
  Image out(width, height);
  const Noise noise(seed);
  // Each tongue's place and height, drawn once; the band repeats across its width, so every
  // distance along it is taken round the band.
  std::vector<float> centres(tongues), heights(tongues), widths(tongues);
  for (int k = 0; k < tongues; ++k) {
    centres[k] = (k + 0.3f + 0.4f * noise.At(k * 3.7f, 0.5f)) / tongues;
    heights[k] = 0.55f + 0.4f * noise.At(k * 5.3f, 2.5f);
    widths[k] = (0.38f + 0.22f * noise.At(k * 2.9f, 4.5f)) / tongues;
  }
  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) / height;
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f) / width;
      // The tallest tongue over this column: each a pointed arch rising from the bottom.
      float reach = 0.12f;
      for (int k = 0; k < tongues; ++k) {
        float d = std::fabs(u - centres[k]);
        d = std::min(d, 1.0f - d);
        const float arch = 1.0f - std::clamp(d / widths[k], 0.0f, 1.0f);
        reach = std::max(reach, heights[k] * std::pow(arch, 0.8f));
      }
      const float top = 1.0f - 0.95f * reach;  // where the flame ends, from the top
      const float flame = Smooth(top, top + 0.3f, v);
      // The bottom rows stay dark, so that the wobble that wraps v past the edge lifts no flame
      // from the top row.
      const float value = flame * (1.0f - Smooth(0.95f, 1.0f, v));
      out.At(x, y) = {value, value, value};
    }
  }
  return out;
}

Image PaintCampfireShape(int width, int height, int tongues, uint32_t seed) {
  const Image band = PaintFlameShape(width, height, tongues, seed);
  Image out(width, height);
  for (int x = 0; x < width; ++x) {
    const float u = (x + 0.5f) / width;
    // The heap's outline: each column of the band squeezed down towards the bottom edge.
    const float heap = std::pow(std::sin(0.5f * kTwoPi * u), 0.7f);
    for (int y = 0; y < height; ++y) {
      const float rise = (height - 0.5f - y) / height;  // 0 at the bottom edge, 1 at the top
      const float from = rise / std::max(heap, 0.05f);
      if (from >= 1.0f) continue;
      const int row = std::clamp(static_cast<int>((1.0f - from) * height), 0, height - 1);
      const float value = band.At(x, row).r * Smooth(0.0f, 0.2f, heap);
      out.At(x, y) = {value, value, value};
    }
  }
  return out;
}

Image PaintTilingNoise(int size, uint32_t seed) {
  Image out(size, size);
  const Noise noise(seed);
  constexpr float kPeriod = 8.0f;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float value = Contrast(Tiling(noise, x * kPeriod / size, y * kPeriod / size, kPeriod, 3));
      out.At(x, y) = {value, value, value};
    }
  }
  return out;
}

}  // namespace picture
