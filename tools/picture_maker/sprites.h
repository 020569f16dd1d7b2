// The sprite pictures of the sample scene's particle systems and objects, painted with soft edges so
// that they blend over the slides: "fish", "bird", "ghost", "puff" (fog), "sparkle", "ray" (a god
// ray), "drop" (rain), "leaf", "blade" (grass), "flower", "lantern", "bubble", "bolt" (lightning),
// "sparks" (a strip of four discharge frames) and "wing" (a butterfly's wing).
#pragma once
#include <optional>
#include <string>

#include "alpha_picture.h"

namespace picture {

std::optional<AlphaPicture> PaintSprite(const std::string& kind);

}  // namespace picture
