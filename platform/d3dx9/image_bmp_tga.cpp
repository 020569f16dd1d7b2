// BMP and TGA (uncompressed and run-length encoded, 24 and 32 bit, either row order) through
// stb_image. stb_image pads a file that ends early with zero bytes, so it reads through callbacks
// that notice a read past the end, and an uncompressed TGA (whose rows stb_image reads in blocks
// without looking at the count it got) must hold all its pixels: a shorter file is truncated and
// refused.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_FAILURE_STRINGS
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cstring>
#include <memory>

#include "image.h"

namespace d3dx9 {
namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
  bool overran = false;
};

int Read(void* user, char* target, int count) {
  auto* reader = static_cast<Reader*>(user);
  const size_t left = reader->size - reader->position;
  if (count > 0 && left == 0) reader->overran = true;
  const size_t n = std::min(left, size_t(count > 0 ? count : 0));
  std::memcpy(target, reader->data + reader->position, n);
  reader->position += n;
  return static_cast<int>(n);
}

void Skip(void* user, int count) {
  auto* reader = static_cast<Reader*>(user);
  // stb_image also skips backwards (by a negative count) within what it has read.
  if (count < 0) {
    const size_t back = size_t(-(long long)count);
    reader->position = back > reader->position ? 0 : reader->position - back;
    return;
  }
  const size_t left = reader->size - reader->position;
  if (size_t(count) > left) reader->overran = true;
  reader->position += std::min(left, size_t(count));
}

int AtEnd(void* user) {
  auto* reader = static_cast<Reader*>(user);
  return reader->position >= reader->size;
}

bool IsBmp(const uint8_t* data, size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

uint32_t Little(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

// The fourth byte of a 32-bit BMP's texels is reserved unless the header gives an alpha mask
// (BI_BITFIELDS in a header of at least 56 bytes); only then is the picture transparent.
bool BmpHasAlpha(const uint8_t* data, size_t size) {
  constexpr size_t kInfo = 14;
  if (size < kInfo + 40) return false;
  const uint32_t headerSize = Little(data + kInfo, 4);
  const uint32_t compression = Little(data + kInfo + 16, 4);
  return headerSize >= 56 && size >= kInfo + 56 && compression == 3 && Little(data + kInfo + 52, 4) != 0;
}

// An uncompressed TGA (image types 1 to 3) must hold its header, identification, colour map and
// every pixel.
bool TgaHoldsItsPixels(const uint8_t* data, size_t size) {
  if (size < 18) return false;
  const uint8_t type = data[2];
  if (type < 1 || type > 3) return true;  // run-length data is read byte by byte and checked as it goes
  const uint64_t mapBytes = data[1] ? uint64_t(Little(data + 5, 2)) * ((data[7] + 7u) / 8u) : 0;
  const uint64_t pixelBytes = uint64_t(Little(data + 12, 2)) * Little(data + 14, 2) * ((data[16] + 7u) / 8u);
  return 18u + data[0] + mapBytes + pixelBytes <= size;
}

}  // namespace

bool DecodeBmpOrTga(const uint8_t* data, size_t size, Image& out) {
  if (size > size_t(0x7FFFFFFF)) return false;
  const stbi_io_callbacks callbacks = {Read, Skip, AtEnd};
  Reader reader{data, size};
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_callbacks(&callbacks, &reader, &width, &height, &channels, 4), stbi_image_free);
  if (!pixels || reader.overran || width <= 0 || height <= 0) return false;
  const bool bmp = IsBmp(data, size);
  if (!bmp && !TgaHoldsItsPixels(data, size)) return false;
  out.width = UINT(width);
  out.height = UINT(height);
  out.alpha = bmp ? BmpHasAlpha(data, size) : channels == 4 || channels == 2;
  out.fileFormat = bmp ? D3DXIFF_BMP : D3DXIFF_TGA;
  out.pixels.resize(size_t(out.width) * out.height);
  const stbi_uc* source = pixels.get();
  for (uint32_t& target : out.pixels) {
    target = uint32_t(out.alpha ? source[3] : 0xFF) << 24 | uint32_t(source[0]) << 16 | uint32_t(source[1]) << 8 | source[2];
    source += 4;
  }
  return true;
}

}  // namespace d3dx9
