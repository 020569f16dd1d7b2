// Grey lookup pictures for the effects: the fire brush reads a flame shape and a noise picture from
// their red channel. The noise tiles seamlessly, since the effects scroll and repeat it.
#pragma once
#include <cstdint>

#include "image.h"

namespace picture {

// A band of `tongues` flame tongues of different heights rising from the bottom edge (v = 1) and
// dying out towards the top; it tiles across its width, as layers stretch it over a whole picture.
Image PaintFlameShape(int width, int height, int tongues, uint32_t seed);

// One fire of `tongues` flames on its own: the band's tongues, tallest in the middle and shrinking to
// nothing at the left and right edges, so that a fire brush drawing it once shows a heap of flames
// rather than a box cut out of a wider band.
Image PaintCampfireShape(int width, int height, int tongues, uint32_t seed);
// Seamless fractal value noise.
Image PaintTilingNoise(int size, uint32_t seed);

}  // namespace picture
