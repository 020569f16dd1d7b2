#include "platform/d3dx9/dds_file.h"

#include <algorithm>
#include <cstring>

namespace d3dx9 {
namespace {

constexpr size_t kHeaderSize = 4 + 124;  // the magic word, then the header
constexpr uint32_t kPixelFormatAlpha = 0x1;       // the alpha mask is valid
constexpr uint32_t kPixelFormatAlphaOnly = 0x2;
constexpr uint32_t kPixelFormatFourCC = 0x4;
constexpr uint32_t kPixelFormatRgb = 0x40;
constexpr uint32_t kPixelFormatBumpDuDv = 0x80000;

uint32_t Read32(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, 4);
  return value;
}

struct PixelFormat {
  uint32_t flags, fourCC, bits, red, green, blue, alpha;
};

// The device format the pixel format describes, among those read here.
D3DFORMAT FormatOf(const PixelFormat& f) {
  if (f.flags & kPixelFormatFourCC) {
    // Some writers store a device format number in place of a four-character code.
    if (f.fourCC == D3DFMT_V8U8 || f.fourCC == D3DFMT_A8R8G8B8 || f.fourCC == D3DFMT_X8R8G8B8 || f.fourCC == D3DFMT_A8)
      return static_cast<D3DFORMAT>(f.fourCC);
    return D3DFMT_UNKNOWN;
  }
  if ((f.flags & kPixelFormatBumpDuDv) && f.bits == 16 && f.red == 0x00FF && f.green == 0xFF00) return D3DFMT_V8U8;
  if ((f.flags & kPixelFormatRgb) && f.bits == 32 && f.red == 0x00FF0000 && f.green == 0x0000FF00 &&
      f.blue == 0x000000FF)
    return (f.flags & kPixelFormatAlpha) && f.alpha == 0xFF000000 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  if ((f.flags & kPixelFormatAlphaOnly) && f.bits == 8 && f.alpha == 0xFF) return D3DFMT_A8;
  return D3DFMT_UNKNOWN;
}

size_t BytesPerTexel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_V8U8:
      return 2;
    case D3DFMT_A8:
      return 1;
    default:
      return 4;
  }
}

d3d9::Color TexelColor(D3DFORMAT format, const uint8_t* texel) {
  switch (format) {
    case D3DFMT_V8U8: {
      // As the device reads the format: -128 and -127 both mean -1.
      const float u = static_cast<int8_t>(texel[0]) / 127.0f, v = static_cast<int8_t>(texel[1]) / 127.0f;
      return {std::max(-1.0f, u), std::max(-1.0f, v), 1.0f, 1.0f};
    }
    case D3DFMT_A8:
      return {0.0f, 0.0f, 0.0f, texel[0] / 255.0f};
    default:
      return {texel[2] / 255.0f, texel[1] / 255.0f, texel[0] / 255.0f,
              format == D3DFMT_A8R8G8B8 ? texel[3] / 255.0f : 1.0f};
  }
}

}  // namespace

bool IsDdsFile(const void* data, size_t size) {
  return data && size >= 4 && std::memcmp(data, "DDS ", 4) == 0;
}

std::optional<DdsFile> ReadDdsFile(const void* data, size_t size) {
  if (!IsDdsFile(data, size) || size < kHeaderSize) return std::nullopt;
  const auto* bytes = static_cast<const uint8_t*>(data);
  const uint8_t* header = bytes + 4;
  if (Read32(header) != 124 || Read32(header + 72) != 32) return std::nullopt;
  const uint32_t height = Read32(header + 8), width = Read32(header + 12);
  const uint32_t mipCount = Read32(header + 24);
  const PixelFormat pixelFormat{Read32(header + 76), Read32(header + 80), Read32(header + 84), Read32(header + 88),
                                Read32(header + 92), Read32(header + 96), Read32(header + 100)};
  const uint32_t caps2 = Read32(header + 108);
  // Cube maps and volumes are not pictures of one texture.
  if (caps2 != 0) return std::nullopt;
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return std::nullopt;
  DdsFile file;
  file.format = FormatOf(pixelFormat);
  if (file.format == D3DFMT_UNKNOWN) return std::nullopt;
  const size_t texelBytes = BytesPerTexel(file.format);
  const uint32_t levels = std::clamp<uint32_t>(mipCount, 1, FullChainLevels(width, height));

  size_t at = kHeaderSize;
  UINT w = width, h = height;
  for (uint32_t level = 0; level < levels; ++level) {
    const size_t levelBytes = size_t(w) * h * texelBytes;
    if (size - at < levelBytes) break;
    Picture picture{w, h, std::vector<d3d9::Color>(size_t(w) * h)};
    for (size_t i = 0; i < picture.texels.size(); ++i)
      picture.texels[i] = TexelColor(file.format, bytes + at + i * texelBytes);
    file.levels.push_back(std::move(picture));
    at += levelBytes;
    w = std::max<UINT>(1, w / 2);
    h = std::max<UINT>(1, h / 2);
  }
  if (file.levels.empty()) return std::nullopt;
  return file;
}

}  // namespace d3dx9
