// Text: the system's sans-serif face (found through fontconfig, drawn by FreeType) at any pixel size,
// wrapped at word boundaries or kept on one line, placed as the format asks.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/gdi_paint.h"

namespace {

// The pixel size DrawTextW uses: it gives lines of about 15 pixels, as the default font of a window.
constexpr int kDefaultPixelSize = 13;
constexpr uint32_t kTextColour = 0x000000;
// Sizes beyond any dialog font are refused rather than rendered.
constexpr int kMaxPixelSize = 200;

struct Font {
  FT_Face face = nullptr;
  win32::gdi::FontMetrics metrics;
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

// FreeType faces are not safe to share between threads: every use of one holds this lock.
struct Fonts {
  std::mutex mutex;
  FT_Library library = nullptr;
  bool tried = false;
  std::string file;
  int index = 0;
  std::map<int, Font> bySize;  // each size has a face of its own, opened once and kept
};

Fonts& GetFonts() {
  static Fonts fonts;
  return fonts;
}

int Advance(Font& font, char16_t c) {
  if (FT_Load_Char(font.face, c, FT_LOAD_DEFAULT) != 0) return 0;
  return (int)(font.face->glyph->advance.x >> 6);
}

// The lock is held.
Font* OpenFont(Fonts& fonts, int pixelSize) {
  if (pixelSize <= 0 || pixelSize > kMaxPixelSize) return nullptr;
  if (!fonts.tried) {
    fonts.tried = true;
    fonts.file = SansSerifFile(&fonts.index);
    if (!fonts.file.empty() && FT_Init_FreeType(&fonts.library) != 0) fonts.library = nullptr;
  }
  if (!fonts.library) return nullptr;
  auto found = fonts.bySize.find(pixelSize);
  if (found != fonts.bySize.end()) return found->second.face ? &found->second : nullptr;
  Font& font = fonts.bySize[pixelSize];
  if (FT_New_Face(fonts.library, fonts.file.c_str(), fonts.index, &font.face) != 0) {
    font.face = nullptr;
    return nullptr;
  }
  if (FT_Set_Pixel_Sizes(font.face, 0, (FT_UInt)pixelSize) != 0) {
    FT_Done_Face(font.face);
    font.face = nullptr;
    return nullptr;
  }
  const FT_Size_Metrics& size = font.face->size->metrics;
  font.metrics.ascender = (int)(size.ascender >> 6);
  font.metrics.height = font.metrics.ascender + (int)((-size.descender) >> 6);
  font.metrics.lineHeight = (int)(size.height >> 6);
  // As dialog base units are taken: the width of the alphabet in both cases over 26, halved, rounded.
  int letters = 0;
  for (char16_t c = u'A'; c <= u'Z'; ++c) letters += Advance(font, c) + Advance(font, (char16_t)(c - u'A' + u'a'));
  font.metrics.averageWidth = (letters / 26 + 1) / 2;
  return &font;
}

int Width(Font& font, std::u16string_view text) {
  int width = 0;
  for (char16_t c : text) width += Advance(font, c);
  return width;
}

// The lines of the text: broken at line ends and, with word breaks, before a word that would pass
// the right edge; a word wider than the whole line is broken where it reaches the edge.
std::vector<std::u16string> Lines(Font& font, std::u16string_view text, int maxWidth, bool wordBreak) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string paragraph(text.substr(start, end - start));
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

void DrawLine(win32::DeviceContext& dc, Font& font, const std::u16string& line, int x, int baseline, uint32_t colour) {
  for (char16_t c : line) {
    if (FT_Load_Char(font.face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = font.face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
      for (unsigned row = 0; row < bitmap.rows; ++row)
        for (unsigned column = 0; column < bitmap.width; ++column)
          win32::gdi::Blend(dc, x + glyph->bitmap_left + (int)column, baseline - glyph->bitmap_top + (int)row, colour,
                            bitmap.buffer[row * bitmap.pitch + column]);
    }
    x += (int)(glyph->advance.x >> 6);
  }
}

}  // namespace

namespace win32::gdi {

std::optional<FontMetrics> Metrics(int pixelSize) {
  Fonts& fonts = GetFonts();
  std::lock_guard lock(fonts.mutex);
  Font* font = OpenFont(fonts, pixelSize);
  if (!font) return std::nullopt;
  return font->metrics;
}

int TextWidth(std::u16string_view text, int pixelSize) {
  Fonts& fonts = GetFonts();
  std::lock_guard lock(fonts.mutex);
  Font* font = OpenFont(fonts, pixelSize);
  return font ? Width(*font, text) : 0;
}

int DrawText(DeviceContext& dc, std::u16string_view text, RECT& rect, UINT format, uint32_t colour, int pixelSize) {
  Fonts& fonts = GetFonts();
  std::lock_guard lock(fonts.mutex);
  Font* font = OpenFont(fonts, pixelSize);
  if (!font) return 0;

  const bool singleLine = (format & DT_SINGLELINE) != 0;
  const int maxWidth = std::max(0, (int)(rect.right - rect.left));
  std::vector<std::u16string> lines;
  if (singleLine) {
    std::u16string line;
    for (char16_t c : text)
      if (c != u'\r' && c != u'\n') line += c;
    lines.push_back(std::move(line));
  } else {
    lines = Lines(*font, text, maxWidth, (format & DT_WORDBREAK) != 0);
  }
  const int height = (int)lines.size() * font->metrics.lineHeight;

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const std::u16string& line : lines) widest = std::max(widest, Width(*font, line));
    rect.right = rect.left + widest;
    rect.bottom = rect.top + height;
    return height;
  }

  // Text stays inside its rectangle.
  DeviceContext clipped = dc;
  clipped.clip.clear();
  for (const RECT& r : dc.clip) {
    RECT part = {std::max(r.left, rect.left), std::max(r.top, rect.top), std::min(r.right, rect.right),
                 std::min(r.bottom, rect.bottom)};
    if (part.left < part.right && part.top < part.bottom) clipped.clip.push_back(part);
  }
  int y = rect.top;
  if (singleLine && (format & DT_VCENTER)) y += (int)(rect.bottom - rect.top - font->metrics.height) / 2;
  if (singleLine && (format & DT_BOTTOM)) y = rect.bottom - font->metrics.height;
  for (const std::u16string& line : lines) {
    int x = rect.left;
    if (format & DT_CENTER) x += (maxWidth - Width(*font, line)) / 2;
    else if (format & DT_RIGHT) x += maxWidth - Width(*font, line);
    DrawLine(clipped, *font, line, x, y + font->metrics.ascender, colour);
    y += font->metrics.lineHeight;
  }
  return height;
}

}  // namespace win32::gdi

int WINAPI DrawTextW(HDC handle, LPCWSTR text, int count, LPRECT rect, UINT format) {
  win32::DeviceContext* dc = win32::FindDeviceContext(handle);
  if (!dc || !rect || !text) return 0;
  const std::u16string_view content = count < 0 ? std::u16string_view(text) : std::u16string_view(text, (size_t)count);
  return win32::gdi::DrawText(*dc, content, *rect, format, kTextColour, kDefaultPixelSize);
}
