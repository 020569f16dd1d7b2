// The masks of the sample scene's effect brushes: grey pictures whose red says how much of a brush's
// effect shows at each point of the slide picture it works on (white: all of it, black: the plain
// picture), so that waves stay on the water, firelight on the ground and a swirl in the middle.
#pragma once
#include <optional>
#include <string>

#include "image.h"

namespace picture {

// Kinds: "sea", "lake", "firelight", "swirl", "blast", "dunes", "sky"; nothing for another name.
std::optional<Image> PaintBrushMask(const std::string& kind);

}  // namespace picture
