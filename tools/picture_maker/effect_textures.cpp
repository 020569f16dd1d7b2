#include "effect_textures.h"

#include <algorithm>
#include <cmath>

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

Image PaintFlameShape(int size, uint32_t seed) {
  Image out(size, size);
  const Noise noise(seed);
  for (int y = 0; y < size; ++y) {
    const float v = (y + 0.5f) / size;
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size;
      // One fire, widest in the middle; tongues of different heights across it.
      const float body = std::pow(std::sin(3.14159265f * u), 0.7f);
      const float tongues = 0.55f + 0.45f * std::fabs(std::sin(2.5f * 3.14159265f * u + 0.4f)) +
                            0.25f * (noise.At(u * 9.0f, 0.5f) - 0.5f);
      const float top = 1.0f - 0.85f * body * tongues;  // where the flame ends, from the top
      const float flame = Smooth(top, top + 0.35f, v) * body;
      // The bottom rows stay dark, so that the wobble that wraps v past the edge lifts no flame
      // from the top row.
      const float value = flame * (1.0f - Smooth(0.93f, 1.0f, v));
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
