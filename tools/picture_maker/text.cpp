#include "text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

namespace picture {

std::string FindFontFile(const std::string& pattern) {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return file;
  FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  FcConfigSubstitute(config, query, FcMatchPattern);
  FcDefaultSubstitute(query);
  FcResult result;
  if (FcPattern* match = FcFontMatch(config, query, &result)) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<const char*>(path);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(query);
  FcConfigDestroy(config);
  return file;
}

bool DrawCentredText(Image& image, const std::string& text, int pixelSize, Color color, int centreX, int baseline) {
  const std::string file = FindFontFile("sans-serif:bold");
  FT_Library library;
  if (file.empty() || FT_Init_FreeType(&library) != 0) return false;
  std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> libraryHolder(library, FT_Done_FreeType);
  FT_Face face;
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0) return false;
  std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> faceHolder(face, FT_Done_Face);
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));

  // First the advance of the whole line, to centre it; then the glyphs.
  long width = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) width += face->glyph->advance.x >> 6;
  }
  long penX = centreX - width / 2;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = face->glyph;
    for (unsigned row = 0; row < glyph->bitmap.rows; ++row) {
      for (unsigned column = 0; column < glyph->bitmap.width; ++column) {
        const float coverage = glyph->bitmap.buffer[row * glyph->bitmap.pitch + column] / 255.0f;
        image.Blend(static_cast<int>(penX + glyph->bitmap_left + column),
                    static_cast<int>(baseline - glyph->bitmap_top + row), color, coverage);
      }
    }
    penX += glyph->advance.x >> 6;
  }
  return true;
}

}  // namespace picture
