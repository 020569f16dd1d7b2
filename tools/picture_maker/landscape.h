// Painted landscapes for the sample slides: sky, sun or moon, ridges of hills, water and haze, each
// from value noise, so that every slide shows a picture with depth and detail that the layers and
// the camera can be judged on.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "image.h"

namespace picture {

// One of "mountains", "sunset", "forest", "lake", "desert", "night", "meadow", "storm", "campfire",
// "underwater"; nothing for another name.
std::optional<Image> PaintLandscape(const std::string& kind, int width, int height, uint32_t seed);

}  // namespace picture
