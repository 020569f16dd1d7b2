#include <png.h>

#include <cstring>

#include "platform/gdiplus/picture.h"

namespace gdiplus {
namespace {

// Beyond any picture the system shows; it bounds the memory a hostile file can ask for.
constexpr png_uint_32 kMaxSide = 8192;

}  // namespace

bool DecodePng(const std::vector<BYTE>& file, GpImage& picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (file.empty() || !png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    png_image_free(&image);
    return false;
  }
  // Blue, green, red, alpha in memory: an A8R8G8B8 value on a little-endian machine.
  image.format = PNG_FORMAT_BGRA;
  picture.width = image.width;
  picture.height = image.height;
  picture.pixels.assign(size_t{image.width} * image.height, 0);
  const bool ok = png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok && (image.warning_or_error & PNG_IMAGE_ERROR) == 0;
}

}  // namespace gdiplus
