#include "platform/win32/frame_writer.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace win32 {

namespace {

// libpng reports errors by longjmp: this function holds nothing that needs destroying.
bool Encode(FILE* file, int width, int height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  bool written = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    written = true;
  }
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  return written;
}

}  // namespace

bool WritePng(const std::string& path, const Surface& surface) {
  if (surface.width <= 0 || surface.height <= 0 ||
      surface.pixels.size() != static_cast<size_t>(surface.width) * surface.height) {
    return false;
  }
  std::vector<png_byte> rows(static_cast<size_t>(surface.width) * surface.height * 3);
  for (size_t i = 0; i < surface.pixels.size(); ++i) {
    const uint32_t pixel = surface.pixels[i];
    rows[i * 3] = static_cast<png_byte>(pixel >> 16);
    rows[i * 3 + 1] = static_cast<png_byte>(pixel >> 8);
    rows[i * 3 + 2] = static_cast<png_byte>(pixel);
  }
  std::vector<png_bytep> pointers(surface.height);
  for (int y = 0; y < surface.height; ++y) pointers[y] = rows.data() + static_cast<size_t>(y) * surface.width * 3;

  const std::string temporary = path + ".part";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = Encode(file, surface.width, surface.height, pointers.data());
  written = std::fclose(file) == 0 && written;
  // A frame is either complete under its name or absent: a viewer never sees half a file.
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

void WriteFrameIfAsked(uintptr_t window, uint64_t index, const Surface& surface) {
  const char* directory = std::getenv("COPPERLEAF_FRAMES");
  if (directory == nullptr || *directory == '\0') return;
  uint64_t every = 1;
  if (const char* text = std::getenv("COPPERLEAF_FRAME_EVERY")) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end != text && *end == '\0' && value > 0) every = value;
  }
  if (index % every != 0 || surface.width <= 0 || surface.height <= 0) return;
  char name[96];
  std::snprintf(name, sizeof name, "/frame-%llu-%06llu.png", static_cast<unsigned long long>(window),
                static_cast<unsigned long long>(index));
  const std::string path = std::string(directory) + name;
  if (!WritePng(path, surface)) {
    static bool reported = false;
    if (!reported) std::fprintf(stderr, "copperleaf: cannot write frames such as %s\n", path.c_str());
    reported = true;
  }
}

}  // namespace win32
