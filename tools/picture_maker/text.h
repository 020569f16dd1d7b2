// Text on the pictures that carry words ("Loading...", the settings banner), in a sans-serif face
// that fontconfig finds on the build machine.
#pragma once
#include <string>

#include "image.h"

namespace picture {

// The file of the face fontconfig matches to `pattern` (such as "monospace:bold"); empty when none.
std::string FindFontFile(const std::string& pattern);

// Draws `text` centred on `centreX` with its baseline at `baseline`; false when no face is found.
bool DrawCentredText(Image& image, const std::string& text, int pixelSize, Color color, int centreX, int baseline);

}  // namespace picture
