// A texture as one stage samples it: level 0 with the stage's address modes and filter. Sampling
// reads level 0 only; the lower levels of a chain are kept for LockRect but never sampled.
#pragma once
#include <cmath>
#include <cstdint>

#include <d3d9.h>

#include "platform/d3d9/color.h"
#include "platform/d3d9/formats.h"

namespace d3d9 {

struct TextureView {
  const uint8_t* bits = nullptr;  // null: no texture bound
  int width = 0;
  int height = 0;
  size_t pitch = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  DWORD addressU = D3DTADDRESS_WRAP;
  DWORD addressV = D3DTADDRESS_WRAP;
  DWORD magFilter = D3DTEXF_POINT;
  DWORD minFilter = D3DTEXF_POINT;
  Color border;

  bool bound() const { return bits != nullptr; }
  Color Sample(float u, float v, bool linear) const;

 private:
  Color Texel(int x, int y) const;
  // A texel of A8R8G8B8 or X8R8G8B8 (opaque).
  Color Decode32(uint32_t v) const;
};

// The texel index an address mode gives for index i of a row of n texels; -1 for the border.
inline int Address(int i, int n, DWORD mode) {
  // Inside the row every mode gives the index itself; only texels outside it need a division.
  if (i >= 0 && i < n) return i;
  switch (mode) {
    case D3DTADDRESS_MIRROR: {
      int m = i % (2 * n);
      if (m < 0) m += 2 * n;
      return m < n ? m : 2 * n - 1 - m;
    }
    case D3DTADDRESS_CLAMP:
      return i < 0 ? 0 : (i >= n ? n - 1 : i);
    case D3DTADDRESS_BORDER:
      return i < 0 || i >= n ? -1 : i;
    default: {
      int m = i % n;
      return m < 0 ? m + n : m;
    }
  }
}

inline Color TextureView::Decode32(uint32_t v) const {
  constexpr float k = 1.f / 255.f;
  return {static_cast<float>((v >> 16) & 0xff) * k, static_cast<float>((v >> 8) & 0xff) * k,
          static_cast<float>(v & 0xff) * k, format == D3DFMT_A8R8G8B8 ? static_cast<float>(v >> 24) * k : 1.f};
}

inline Color TextureView::Texel(int x, int y) const {
  const int ax = Address(x, width, addressU);
  const int ay = Address(y, height, addressV);
  if (ax < 0 || ay < 0) return border;
  const uint8_t* p = bits + static_cast<size_t>(ay) * pitch;
  if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
    uint32_t v;
    __builtin_memcpy(&v, p + static_cast<size_t>(ax) * 4, 4);
    return Decode32(v);
  }
  return DecodeTexel(format, p + static_cast<size_t>(ax) * BytesPerTexel(format));
}

inline Color TextureView::Sample(float u, float v, bool linear) const {
  // Far-out coordinates are held where the integer texel index cannot overflow; every address mode
  // has repeated or clamped long before.
  constexpr float kLimit = 1 << 20;
  float fu = u * static_cast<float>(width);
  float fv = v * static_cast<float>(height);
  fu = fu < -kLimit ? -kLimit : (fu > kLimit ? kLimit : fu);
  fv = fv < -kLimit ? -kLimit : (fv > kLimit ? kLimit : fv);
  if (!(fu == fu)) fu = 0.f;
  if (!(fv == fv)) fv = 0.f;
  if (!linear) return Texel(static_cast<int>(std::floor(fu)), static_cast<int>(std::floor(fv)));
  // Texel centres lie at (i + 0.5) / size.
  fu -= 0.5f;
  fv -= 0.5f;
  const float x0 = std::floor(fu);
  const float y0 = std::floor(fv);
  const float wx = fu - x0;
  const float wy = fv - y0;
  const int ix = static_cast<int>(x0);
  const int iy = static_cast<int>(y0);
  Color c[4];
  if ((format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) && ix >= 0 && ix + 1 < width && iy >= 0 &&
      iy + 1 < height) {
    // Inside the texture the four 32-bit texels are read straight from their two rows.
    const uint8_t* p = bits + static_cast<size_t>(iy) * pitch + static_cast<size_t>(ix) * 4;
    uint32_t t[4];
    __builtin_memcpy(&t[0], p, 8);
    __builtin_memcpy(&t[2], p + pitch, 8);
    for (int i = 0; i < 4; ++i) c[i] = Decode32(t[i]);
  } else {
    c[0] = Texel(ix, iy);
    c[1] = Texel(ix + 1, iy);
    c[2] = Texel(ix, iy + 1);
    c[3] = Texel(ix + 1, iy + 1);
  }
  const float w00 = (1.f - wx) * (1.f - wy);
  const float w10 = wx * (1.f - wy);
  const float w01 = (1.f - wx) * wy;
  const float w11 = wx * wy;
  return {c[0].r * w00 + c[1].r * w10 + c[2].r * w01 + c[3].r * w11,
          c[0].g * w00 + c[1].g * w10 + c[2].g * w01 + c[3].g * w11,
          c[0].b * w00 + c[1].b * w10 + c[2].b * w01 + c[3].b * w11,
          c[0].a * w00 + c[1].a * w10 + c[2].a * w01 + c[3].a * w11};
}

}  // namespace d3d9
