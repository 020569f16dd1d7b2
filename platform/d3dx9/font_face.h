// FreeType faces for D3DX fonts, found by fontconfig from a face name, weight and slant. A name the
// machine lacks gets the face fontconfig substitutes (for "Arial", a metric-compatible sans serif).
#pragma once
#include <memory>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace d3dx9 {

struct FontFaceDeleter {
  void operator()(FT_Face face) const;
};
using FontFace = std::unique_ptr<std::remove_pointer_t<FT_Face>, FontFaceDeleter>;

// The best face for the request, sized so that a positive height is the cell height (ascent plus
// descent) and a negative one the character height, in pixels. Null when no face can be opened.
FontFace OpenFontFace(const std::u16string& faceName, int height, unsigned weight, bool italic);

}  // namespace d3dx9
