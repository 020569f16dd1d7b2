#include "glyph_strip.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string_view>

#include "text.h"

namespace picture {

namespace {

// Digits, capitals and signs that read as machine code; the strip cycles through them.
constexpr std::string_view kGlyphs = "0123456789ACEFHKLMNPRTXZ:=+*<>$#%&?@";

}  // namespace

std::optional<AlphaPicture> PaintGlyphStrip(int width, int height) {
  if (width < 8 || height < width) return std::nullopt;
  const std::string file = FindFontFile("monospace:bold");
  FT_Library library;
  if (file.empty() || FT_Init_FreeType(&library) != 0) return std::nullopt;
  std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> libraryHolder(library, FT_Done_FreeType);
  FT_Face face;
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0) return std::nullopt;
  std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> faceHolder(face, FT_Done_Face);

  const int bands = height / width + 2;
  const float bandHeight = static_cast<float>(height) / static_cast<float>(bands);
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(bandHeight * 0.8f));
  AlphaPicture strip(width, height);
  for (int band = 0; band < bands; ++band) {
    const char c = kGlyphs[static_cast<size_t>(band) % kGlyphs.size()];
    if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0) continue;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = (width - static_cast<int>(bitmap.width)) / 2;
    const int top = static_cast<int>(band * bandHeight + (bandHeight - static_cast<float>(bitmap.rows)) / 2.0f);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const float coverage = bitmap.buffer[row * bitmap.pitch + column] / 255.0f;
        // Mirrored, so that the glyphs read as code rather than as words.
        strip.Paint(left + static_cast<int>(bitmap.width - 1 - column), top + static_cast<int>(row), {1, 1, 1}, coverage);
      }
    }
  }
  return strip;
}

}  // namespace picture
