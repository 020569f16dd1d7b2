// The sample scene's sound effects: "crackle" (a campfire, looping), "rain" (looping), "thunder" (one
// roll, played once at intervals) and "birds" (a few calls, played once at intervals). A looping effect
// ends where it begins, so that its loop has no seam.
#pragma once
#include <optional>
#include <string>

#include "samples.h"

namespace sound {

std::optional<Stereo> MakeEffect(const std::string& kind);

}  // namespace sound
