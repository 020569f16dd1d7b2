#include "platform/d3d9/formats.h"

#include <algorithm>
#include <cstring>

namespace d3d9 {

namespace {

uint16_t Read16(const uint8_t* p) {
  uint16_t value;
  std::memcpy(&value, p, 2);
  return value;
}

uint32_t Read32(const uint8_t* p) {
  uint32_t value;
  std::memcpy(&value, p, 4);
  return value;
}

uint32_t Quantize(float value, uint32_t max) {
  const float clamped = std::clamp(value, 0.f, 1.f);
  return static_cast<uint32_t>(clamped * static_cast<float>(max) + 0.5f);
}

constexpr float kInv255 = 1.f / 255.f;

}  // namespace

UINT BytesPerTexel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_V16U16:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_V8U8:
      return 2;
    case D3DFMT_A8:
      return 1;
    default:
      return 0;
  }
}

bool IsDepthFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
      return true;
    default:
      return false;
  }
}

bool IsTextureFormat(D3DFORMAT format) { return BytesPerTexel(format) != 0; }

bool IsRenderTargetFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
      return true;
    default:
      return false;
  }
}

Color DecodeTexel(D3DFORMAT format, const uint8_t* texel) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: {
      const uint32_t v = Read32(texel);
      const float a = format == D3DFMT_A8R8G8B8 ? static_cast<float>(v >> 24) * kInv255 : 1.f;
      return {static_cast<float>((v >> 16) & 0xff) * kInv255, static_cast<float>((v >> 8) & 0xff) * kInv255,
              static_cast<float>(v & 0xff) * kInv255, a};
    }
    case D3DFMT_R5G6B5: {
      const uint16_t v = Read16(texel);
      return {static_cast<float>(v >> 11) / 31.f, static_cast<float>((v >> 5) & 0x3f) / 63.f,
              static_cast<float>(v & 0x1f) / 31.f, 1.f};
    }
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5: {
      const uint16_t v = Read16(texel);
      const float a = format == D3DFMT_A1R5G5B5 ? static_cast<float>(v >> 15) : 1.f;
      return {static_cast<float>((v >> 10) & 0x1f) / 31.f, static_cast<float>((v >> 5) & 0x1f) / 31.f,
              static_cast<float>(v & 0x1f) / 31.f, a};
    }
    case D3DFMT_A8:
      return {0.f, 0.f, 0.f, static_cast<float>(texel[0]) * kInv255};
    case D3DFMT_V8U8: {
      const auto u = static_cast<int8_t>(texel[0]);
      const auto v = static_cast<int8_t>(texel[1]);
      return {std::max(-1.f, u / 127.f), std::max(-1.f, v / 127.f), 1.f, 1.f};
    }
    case D3DFMT_V16U16: {
      const uint32_t raw = Read32(texel);
      const auto u = static_cast<int16_t>(raw & 0xffff);
      const auto v = static_cast<int16_t>(raw >> 16);
      return {std::max(-1.f, u / 32767.f), std::max(-1.f, v / 32767.f), 1.f, 1.f};
    }
    default:
      return {};
  }
}

void EncodeTexel(D3DFORMAT format, const Color& c, uint8_t* texel) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: {
      const uint32_t a = format == D3DFMT_A8R8G8B8 ? ToByte(c.a) : 0xffu;
      const uint32_t v = (a << 24) | (uint32_t{ToByte(c.r)} << 16) | (uint32_t{ToByte(c.g)} << 8) | ToByte(c.b);
      std::memcpy(texel, &v, 4);
      break;
    }
    case D3DFMT_R5G6B5: {
      const auto v = static_cast<uint16_t>((Quantize(c.r, 31) << 11) | (Quantize(c.g, 63) << 5) | Quantize(c.b, 31));
      std::memcpy(texel, &v, 2);
      break;
    }
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5: {
      const uint32_t a = format == D3DFMT_A1R5G5B5 ? (c.a >= 0.5f ? 1u : 0u) : 1u;
      const auto v = static_cast<uint16_t>((a << 15) | (Quantize(c.r, 31) << 10) | (Quantize(c.g, 31) << 5) |
                                           Quantize(c.b, 31));
      std::memcpy(texel, &v, 2);
      break;
    }
    case D3DFMT_A8:
      texel[0] = ToByte(c.a);
      break;
    default:
      break;
  }
}

}  // namespace d3d9
