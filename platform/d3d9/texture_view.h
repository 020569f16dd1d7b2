// A texture as one stage samples it: level 0 with the stage's address modes and filter. Sampling
// reads level 0 only; the lower levels of a chain are kept for LockRect but never sampled.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include <d3d9.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/d3d9/color.h"
#include "platform/d3d9/formats.h"

namespace d3d9 {

// Four channels in one register where the machine has one (r, g, b, a).
using Float4 = float __attribute__((vector_size(16)));

// A texel of A8R8G8B8 or X8R8G8B8 as r, g, b, a; `opaque` (0xff000000 for X8R8G8B8) fills the alpha
// byte the format does not keep. 255 times 1/255 rounds to exactly 1, so an opaque alpha reads 1.
static_assert(255.f * (1.f / 255.f) == 1.f);

#if defined(__SSE2__)
// Four texels of a register's 16 bytes (memory order b, g, r, a) as four Float4s.
inline void Decode32Texels(__m128i texels, uint32_t opaque, Float4 out[4]) {
  texels = _mm_or_si128(texels, _mm_set1_epi32(static_cast<int>(opaque)));
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_unpacklo_epi8(texels, zero);
  const __m128i high = _mm_unpackhi_epi8(texels, zero);
  const __m128i words[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                            _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
  for (int i = 0; i < 4; ++i) {
    const __m128 c = _mm_mul_ps(_mm_cvtepi32_ps(words[i]), _mm_set1_ps(1.f / 255.f));
    out[i] = _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 0, 1, 2));
  }
}
#endif

inline Float4 Decode32x4(const uint8_t* texel, uint32_t opaque) {
  uint32_t v;
  __builtin_memcpy(&v, texel, 4);
  v |= opaque;
  return Float4{static_cast<float>((v >> 16) & 0xff), static_cast<float>((v >> 8) & 0xff),
                static_cast<float>(v & 0xff), static_cast<float>(v >> 24)} *
         (1.f / 255.f);
}

// The two texels at `row0` and the two at `row1`: top left, top right, bottom left, bottom right.
inline void Decode32Quad(const uint8_t* row0, const uint8_t* row1, uint32_t opaque, Float4 out[4]) {
#if defined(__SSE2__)
  const __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row0));
  const __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row1));
  Decode32Texels(_mm_unpacklo_epi64(top, bottom), opaque, out);
#else
  out[0] = Decode32x4(row0, opaque);
  out[1] = Decode32x4(row0 + 4, opaque);
  out[2] = Decode32x4(row1, opaque);
  out[3] = Decode32x4(row1 + 4, opaque);
#endif
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
  if (format == D3DFMT_V8U8) {
    // The bump maps' format, read here rather than through the format table.
    const auto du = static_cast<int8_t>(p[static_cast<size_t>(ax) * 2]);
    const auto dv = static_cast<int8_t>(p[static_cast<size_t>(ax) * 2 + 1]);
    return {std::max(-1.f, du / 127.f), std::max(-1.f, dv / 127.f), 1.f, 1.f};
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
    Float4 c[4];
    Decode32Quad(p, p + pitch, opaque, c);
    const Float4 sum = c[0] * w00 + c[1] * w10 + c[2] * w01 + c[3] * w11;
    return {sum[0], sum[1], sum[2], sum[3]};
  }
  // At the edges each column and row is addressed once, not once per texel.
  const int ax[2] = {Address(ix, width, addressU), Address(ix + 1, width, addressU)};
  const int ay[2] = {Address(iy, height, addressV), Address(iy + 1, height, addressV)};
#if defined(__SSE2__)
  if ((format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) && ax[0] >= 0 && ax[1] >= 0 && ay[0] >= 0 &&
      ay[1] >= 0) {
    // A footprint that repeats, mirrors or clamps across the edge, without border texels: its four
    // texels are gathered and decoded together.
    uint32_t t[4];
    for (int k = 0; k < 4; ++k)
      __builtin_memcpy(&t[k], bits + static_cast<size_t>(ay[k >> 1]) * pitch + static_cast<size_t>(ax[k & 1]) * 4, 4);
    Float4 q[4];
    Decode32Texels(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)),
                   format == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u, q);
    const Float4 sum = q[0] * w00 + q[1] * w10 + q[2] * w01 + q[3] * w11;
    return {sum[0], sum[1], sum[2], sum[3]};
  }
#endif
  Color c[4];
  for (int k = 0; k < 4; ++k) c[k] = AddressedTexel(ax[k & 1], ay[k >> 1]);
  return {c[0].r * w00 + c[1].r * w10 + c[2].r * w01 + c[3].r * w11,
          c[0].g * w00 + c[1].g * w10 + c[2].g * w01 + c[3].g * w11,
          c[0].b * w00 + c[1].b * w10 + c[2].b * w01 + c[3].b * w11,
          c[0].a * w00 + c[1].a * w10 + c[2].a * w01 + c[3].a * w11};
}

}  // namespace d3d9
