// DrawTextW: the system's sans-serif face (found through fontconfig, drawn by FreeType), wrapped at
// word boundaries and centred on request.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/gdi_paint.h"

namespace {

// The pixel size of the face; it gives lines of about 15 pixels, as the default font of a window.
constexpr FT_UInt kPixelSize = 13;
constexpr uint32_t kTextColour = 0x000000;

struct Font {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int lineHeight = 0;
  int ascender = 0;
};

// The file of the face fontconfig matches to "sans-serif" and the face's index in it; empty when
// there is none.
std::string SansSerifFile(int* index) {
  // A configuration of our own, given back once the file is known: the face needs nothing more.
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return file;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
  if (pattern) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &name) == FcResultMatch && name)
      file = reinterpret_cast<const char*>(name);
    if (match && FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return file;
}

// The face is opened once and kept for the process.
Font* OpenFont() {
  static Font font;
  static std::once_flag once;
  std::call_once(once, [] {
    int index = 0;
    const std::string file = SansSerifFile(&index);
    if (file.empty()) return;
    if (FT_Init_FreeType(&font.library) == 0 && FT_New_Face(font.library, file.c_str(), index, &font.face) == 0 &&
        FT_Set_Pixel_Sizes(font.face, 0, kPixelSize) == 0) {
      font.lineHeight = (int)(font.face->size->metrics.height >> 6);
      font.ascender = (int)(font.face->size->metrics.ascender >> 6);
    } else {
      font.face = nullptr;
    }
  });
  return font.face ? &font : nullptr;
}

int Advance(Font& font, char16_t c) {
  if (FT_Load_Char(font.face, c, FT_LOAD_DEFAULT) != 0) return 0;
  return (int)(font.face->glyph->advance.x >> 6);
}

int Width(Font& font, const std::u16string& text) {
  int width = 0;
  for (char16_t c : text) width += Advance(font, c);
  return width;
}

// The lines of the text: broken at line ends and, with word breaks, before a word that would pass
// the right edge; a word wider than the whole line is broken where it reaches the edge.
std::vector<std::u16string> Lines(Font& font, const std::u16string& text, int maxWidth, bool wordBreak) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == u'\r') paragraph.pop_back();
    start = end + 1;

    if (!wordBreak) {
      lines.push_back(paragraph);
      continue;
    }
    std::u16string line;
    size_t i = 0;
    bool any = false;
    while (i < paragraph.size()) {
      size_t spaceEnd = i;
      while (spaceEnd < paragraph.size() && paragraph[spaceEnd] == u' ') ++spaceEnd;
      size_t wordEnd = spaceEnd;
      while (wordEnd < paragraph.size() && paragraph[wordEnd] != u' ') ++wordEnd;
      const std::u16string spaces = paragraph.substr(i, spaceEnd - i);
      std::u16string word = paragraph.substr(spaceEnd, wordEnd - spaceEnd);
      i = wordEnd;
      if (!line.empty() && Width(font, line + spaces + word) > maxWidth) {
        lines.push_back(line);
        line.clear();
        any = true;
      } else {
        line += spaces;
      }
      while (Width(font, line + word) > maxWidth && !word.empty()) {
        // Break the word itself, keeping at least one character on the line.
        size_t fit = 0;
        while (fit + 1 < word.size() && Width(font, line + word.substr(0, fit + 1)) <= maxWidth) ++fit;
        if (fit == 0 && line.empty()) fit = 1;
        line += word.substr(0, fit);
        word.erase(0, fit);
        lines.push_back(line);
        line.clear();
        any = true;
      }
      line += word;
    }
    if (!line.empty() || !any) lines.push_back(line);
  }
  return lines;
}

void DrawLine(win32::DeviceContext& dc, Font& font, const std::u16string& line, int x, int baseline) {
  for (char16_t c : line) {
    if (FT_Load_Char(font.face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = font.face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      for (unsigned row = 0; row < bitmap.rows; ++row)
        for (unsigned column = 0; column < bitmap.width; ++column)
          win32::gdi::Blend(dc, x + glyph->bitmap_left + (int)column, baseline - glyph->bitmap_top + (int)row,
                            kTextColour, bitmap.buffer[row * bitmap.pitch + column]);
    }
    x += (int)(glyph->advance.x >> 6);
  }
}

}  // namespace

int WINAPI DrawTextW(HDC handle, LPCWSTR text, int count, LPRECT rect, UINT format) {
  win32::DeviceContext* dc = win32::FindDeviceContext(handle);
  Font* font = OpenFont();
  if (!dc || !rect || !text || !font) return 0;

  std::u16string content = count < 0 ? std::u16string(text) : std::u16string(text, (size_t)count);
  const int maxWidth = std::max(0, (int)(rect->right - rect->left));
  const std::vector<std::u16string> lines = Lines(*font, content, maxWidth, (format & DT_WORDBREAK) != 0);
  const int height = (int)lines.size() * font->lineHeight;

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const std::u16string& line : lines) widest = std::max(widest, Width(*font, line));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }

  // Text stays inside its rectangle.
  win32::DeviceContext clipped = *dc;
  clipped.clip.clear();
  for (const RECT& r : dc->clip) {
    RECT part = {std::max(r.left, rect->left), std::max(r.top, rect->top), std::min(r.right, rect->right),
                 std::min(r.bottom, rect->bottom)};
    if (part.left < part.right && part.top < part.bottom) clipped.clip.push_back(part);
  }
  int y = rect->top;
  for (const std::u16string& line : lines) {
    int x = rect->left;
    if (format & DT_CENTER) x += (maxWidth - Width(*font, line)) / 2;
    DrawLine(clipped, *font, line, x, y + font->ascender);
    y += font->lineHeight;
  }
  return height;
}
