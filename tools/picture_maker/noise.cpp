#include "noise.h"

#include <cmath>

namespace picture {

float Noise::Lattice(int32_t x, int32_t y) const {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed_ * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float Noise::At(float x, float y) const {
  const float fx = std::floor(x), fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
  auto smooth = [](float t) { return t * t * (3.0f - 2.0f * t); };
  const float tx = smooth(x - fx), ty = smooth(y - fy);
  const float top = Lattice(ix, iy) + (Lattice(ix + 1, iy) - Lattice(ix, iy)) * tx;
  const float bottom = Lattice(ix, iy + 1) + (Lattice(ix + 1, iy + 1) - Lattice(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

float Noise::Fractal(float x, float y, int octaves) const {
  float sum = 0.0f, weight = 1.0f, total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += At(x, y) * weight;
    total += weight;
    x *= 2.0f;
    y *= 2.0f;
    weight *= 0.5f;
  }
  return sum / total;
}

}  // namespace picture
