// PNG through libpng's simplified reader, which keeps its own error recovery: a damaged file makes
// the read fail instead of jumping through our frames. The reader stops once it has the pixels, so
// the chunk list is walked first: a file that ends before its closing IEND chunk is truncated.
#include <png.h>

#include <cstring>

#include "image.h"

namespace d3dx9 {
namespace {

bool ReachesEndChunk(const uint8_t* data, size_t size) {
  size_t at = 8;  // after the signature
  while (size - at >= 12) {
    const uint32_t length = uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 | uint32_t(data[at + 2]) << 8 |
                            data[at + 3];
    if (length > size - at - 12) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    at += 12 + size_t(length);
  }
  return false;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, Image& out) {
  if (!ReachesEndChunk(data, size)) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  if (image.width == 0 || image.height == 0 || image.width > kMaxImageSide || image.height > kMaxImageSide) {
    png_image_free(&image);
    return false;
  }
  out.alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  // Blue, green, red, alpha in memory: an A8R8G8B8 value on a little-endian machine.
  image.format = PNG_FORMAT_BGRA;
  out.width = image.width;
  out.height = image.height;
  out.fileFormat = D3DXIFF_PNG;
  try {
    out.pixels.assign(size_t(out.width) * out.height, 0);
  } catch (...) {
    png_image_free(&image);
    throw;
  }
  const bool ok = png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) != 0;
  png_image_free(&image);
  // A warning (for instance a bad checksum in a trailing chunk) still leaves a complete picture;
  // a truncated image data stream is an error.
  return ok && (image.warning_or_error & PNG_IMAGE_ERROR) == 0;
}

}  // namespace d3dx9
