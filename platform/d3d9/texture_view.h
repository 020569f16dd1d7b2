// A texture as one stage samples it: level 0 with the stage's address modes and filter. Sampling
// reads level 0 only; the lower levels of a chain are kept for LockRect but never sampled.
#pragma once
#include <cmath>
#include <cstdint>

#include <d3d9.h>

#include "platform/d3d9/color.h"
#include "platform/d3d9/formats.h"

namespace d3d9 {

// Four channels in one register where the machine has one (r, g, b, a).
using Float4 = float __attribute__((vector_size(16)));

// A texel of A8R8G8B8 or X8R8G8B8 as r, g, b, a; `opaque` (0xff000000 for X8R8G8B8) fills the alpha
// byte the format does not keep. 255 times 1/255 rounds to exactly 1, so an opaque alpha reads 1.
static_assert(255.f * (1.f / 255.f) == 1.f);
inline Float4 Decode32x4(const uint8_t* texel, uint32_t opaque) {
  using Byte4 = uint8_t __attribute__((vector_size(4)));
  uint32_t v;
  __builtin_memcpy(&v, texel, 4);
  v |= opaque;
  Byte4 bytes;
  __builtin_memcpy(&bytes, &v, 4);
  // In memory the channels lie b, g, r, a.
  const Byte4 rgba = __builtin_shuffle(bytes, Byte4{2, 1, 0, 3});
  return __builtin_convertvector(rgba, Float4) * (1.f / 255.f);
}

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
  // The texel at indices an address mode gave; -1 in either reads the border colour.
  Color AddressedTexel(int ax, int ay) const;
  // A texel of A8R8G8B8 or X8R8G8B8 (opaque).
  Color Decode32(uint32_t v) const;
};

// std::floor for every float, signed zeros, infinities and NaN included, without the library call
// it costs on machines whose baseline has no rounding instruction. Floats of 2^23 and above in
// size are whole already.
inline float Floor(float x) {
  if (x == 0.f || !(std::fabs(x) < 8388608.f)) return x;
  const float t = static_cast<float>(static_cast<int>(x));
  return t > x ? t - 1.f : t;
}

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
      // Most textures are a power of two wide: the repeat is then a mask.
      if ((n & (n - 1)) == 0) return i & (n - 1);
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
  return AddressedTexel(Address(x, width, addressU), Address(y, height, addressV));
}

inline Color TextureView::AddressedTexel(int ax, int ay) const {
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
  if (!linear) return Texel(static_cast<int>(Floor(fu)), static_cast<int>(Floor(fv)));
  // Texel centres lie at (i + 0.5) / size.
  fu -= 0.5f;
  fv -= 0.5f;
  const float x0 = Floor(fu);
  const float y0 = Floor(fv);
  const float wx = fu - x0;
  const float wy = fv - y0;
  const int ix = static_cast<int>(x0);
  const int iy = static_cast<int>(y0);
  const float w00 = (1.f - wx) * (1.f - wy);
  const float w10 = wx * (1.f - wy);
  const float w01 = (1.f - wx) * wy;
  const float w11 = wx * wy;
  if ((format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) && ix >= 0 && ix + 1 < width && iy >= 0 &&
      iy + 1 < height) {
    // Inside the texture the four 32-bit texels are read straight from their two rows and weighed
    // four channels at a time: the same products and sums, in the same order, as channel by channel.
    const uint8_t* p = bits + static_cast<size_t>(iy) * pitch + static_cast<size_t>(ix) * 4;
    const uint32_t opaque = format == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u;
    const Float4 c00 = Decode32x4(p, opaque);
    const Float4 c10 = Decode32x4(p + 4, opaque);
    const Float4 c01 = Decode32x4(p + pitch, opaque);
    const Float4 c11 = Decode32x4(p + pitch + 4, opaque);
    const Float4 sum = c00 * w00 + c10 * w10 + c01 * w01 + c11 * w11;
    return {sum[0], sum[1], sum[2], sum[3]};
  }
  // At the edges each column and row is addressed once, not once per texel.
  const int ax[2] = {Address(ix, width, addressU), Address(ix + 1, width, addressU)};
  const int ay[2] = {Address(iy, height, addressV), Address(iy + 1, height, addressV)};
  Color c[4];
  for (int k = 0; k < 4; ++k) c[k] = AddressedTexel(ax[k & 1], ay[k >> 1]);
  return {c[0].r * w00 + c[1].r * w10 + c[2].r * w01 + c[3].r * w11,
          c[0].g * w00 + c[1].g * w10 + c[2].g * w01 + c[3].g * w11,
          c[0].b * w00 + c[1].b * w10 + c[2].b * w01 + c[3].b * w11,
          c[0].a * w00 + c[1].a * w10 + c[2].a * w01 + c[3].a * w11};
}

}  // namespace d3d9
