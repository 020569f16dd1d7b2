// Grey lookup pictures for the effects: the fire brush reads a flame shape and a noise picture from
// their red channel, the lake layer a bump picture whose red and green push the reflection about.
// The noise and the bump tile seamlessly, since the effects scroll and repeat them.
#pragma once
#include <cstdint>

#include "image.h"

namespace picture {

// Flame tongues rising from the bottom edge (v = 1) and dying out towards the top.
Image PaintFlameShape(int size, uint32_t seed);
// Seamless fractal value noise.
Image PaintTilingNoise(int size, uint32_t seed);
// Seamless small waves: red and green are the slopes across and along, about one half.
Image PaintWaveBump(int size, uint32_t seed);

}  // namespace picture
