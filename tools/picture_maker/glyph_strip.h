// The matrix-code layer's glyph strip: a tall picture of white glyphs on transparency, cut by the
// layer into N = height / width + 2 horizontal bands, glyph g filling band g - 1 (g = 1..N).
#pragma once
#include <optional>

#include "alpha_picture.h"

namespace picture {

// A strip `width` pixels wide whose bands are nearly square; nothing when no monospace face is found
// or the width is too small to draw in.
std::optional<AlphaPicture> PaintGlyphStrip(int width, int height);

}  // namespace picture
