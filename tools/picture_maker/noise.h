// Smooth value noise for painting the sample pictures: the same seed gives the same picture on every
// machine, so the embedded scene is reproducible from its description alone.
#pragma once
#include <cstdint>

namespace picture {

class Noise {
 public:
  explicit Noise(uint32_t seed) : seed_(seed) {}
  // Value noise in [0, 1] with smooth interpolation between integer lattice points.
  float At(float x, float y) const;
  // Sum of `octaves` layers, each of twice the frequency and half the weight, scaled to [0, 1].
  float Fractal(float x, float y, int octaves) const;

 private:
  float Lattice(int32_t x, int32_t y) const;
  uint32_t seed_;
};

}  // namespace picture
