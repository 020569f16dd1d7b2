// A decoded picture: 32-bit A8R8G8B8 pixels, top row first, no padding between rows.
#pragma once
#include <cstddef>
#include <bit>
#include <cstdint>
#include <vector>

#include <d3dx9.h>

namespace d3dx9 {

// Decoders write pixels as blue, green, red, alpha bytes, which read as A8R8G8B8 values here.
static_assert(std::endian::native == std::endian::little);

struct Image {
  UINT width = 0;
  UINT height = 0;
  // Whether the file carries transparency; an opaque picture becomes an X8R8G8B8 texture.
  bool alpha = false;
  D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
  std::vector<uint32_t> pixels;

  uint32_t& at(UINT x, UINT y) { return pixels[size_t(y) * width + x]; }
  uint32_t at(UINT x, UINT y) const { return pixels[size_t(y) * width + x]; }
};

// Pictures larger than this on either side are refused as invalid rather than allocated.
constexpr UINT kMaxImageSide = 16384;

// Decodes a PNG, JPEG, BMP or TGA file held in memory. A corrupt or truncated file gives
// D3DXERR_INVALIDDATA and leaves the image empty.
HRESULT DecodeImage(const void* data, size_t size, Image& out);

// The decoders behind DecodeImage, each for one family of files; false on any damage.
bool DecodePng(const uint8_t* data, size_t size, Image& out);
bool DecodeJpeg(const uint8_t* data, size_t size, Image& out);
bool DecodeBmpOrTga(const uint8_t* data, size_t size, Image& out);

}  // namespace d3dx9
