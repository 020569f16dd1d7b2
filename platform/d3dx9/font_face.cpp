#include "platform/d3dx9/font_face.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <mutex>

#include "platform/win32/resource_names.h"

namespace d3dx9 {
namespace {

// FreeType faces of one library may not be made from two threads at once.
std::mutex& LibraryMutex() {
  static std::mutex mutex;
  return mutex;
}

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    if (FT_Init_FreeType(&made) != 0) made = nullptr;
    return made;
  }();
  return library;
}

// fontconfig loads its configuration once and keeps it until FcFini; it is handed back when the
// process ends, so that nothing of it is left behind for a leak checker to report.
bool InitFontconfig() {
  static const bool ready = [] {
    if (!FcInit()) return false;
    std::atexit([] { FcFini(); });
    return true;
  }();
  return ready;
}

// The file and face index fontconfig chooses for the request.
bool MatchFont(const std::string& family, unsigned weight, bool italic, std::string* file, int* index) {
  if (!InitFontconfig()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(static_cast<int>(weight == 0 ? 400 : weight)));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
  if (found) {
    *file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace

void FontFaceDeleter::operator()(FT_Face face) const {
  std::lock_guard lock(LibraryMutex());
  FT_Done_Face(face);
}

FontFace OpenFontFace(const std::u16string& faceName, int height, unsigned weight, bool italic) {
  std::string file;
  int index = 0;
  // A name that is no valid text matches like an empty one: fontconfig's default face.
  if (!MatchFont(win32::ToUtf8(faceName).value_or(""), weight, italic, &file, &index)) return nullptr;
  std::lock_guard lock(LibraryMutex());
  FT_Library library = Library();
  FT_Face face = nullptr;
  if (!library || FT_New_Face(library, file.c_str(), index, &face) != 0) return nullptr;
  FT_Size_RequestRec request{};
  // Windows takes a positive height as the cell height and a negative one as the em height.
  request.type = height > 0 ? FT_SIZE_REQUEST_TYPE_REAL_DIM : FT_SIZE_REQUEST_TYPE_NOMINAL;
  // Widened first: the most negative height has no int magnitude.
  request.height = std::abs(static_cast<FT_Long>(height == 0 ? 16 : height)) << 6;
  if (FT_Request_Size(face, &request) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  return FontFace(face);
}

}  // namespace d3dx9
