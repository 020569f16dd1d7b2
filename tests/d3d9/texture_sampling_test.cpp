// The sampler that pixel programs call, against a plain reading of the same rules: every texel
// addressed on its own by the address mode's division, decoded by the format table and weighed
// channel by channel. The sampler reads 32-bit texels four channels at a time, addresses a bilinear
// footprint's rows and columns once, masks repeats of power-of-two textures and floors without a
// library call; each of these must give the same floats, bit for bit. Colours written back become
// bytes by selections rather than branches, held to 0..1 and rounded as before. The block sampler
// reads many lanes per register and must give the same floats again, on every instruction set.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/d3d9/formats.h"
#include "platform/d3d9/pixel_program.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/d3d9/texture_view.h"

namespace {

using d3d9::Color;
using d3d9::TextureView;

uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

int ReferenceAddress(int i, int n, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_MIRROR: {
      int m = i % (2 * n);
      if (m < 0) m += 2 * n;
      return m < n ? m : 2 * n - 1 - m;
    }
    case D3DTADDRESS_CLAMP: return i < 0 ? 0 : (i >= n ? n - 1 : i);
    case D3DTADDRESS_BORDER: return i < 0 || i >= n ? -1 : i;
    default: {
      int m = i % n;
      return m < 0 ? m + n : m;
    }
  }
}

Color ReferenceTexel(const TextureView& t, int x, int y) {
  const int ax = ReferenceAddress(x, t.width, t.addressU);
  const int ay = ReferenceAddress(y, t.height, t.addressV);
  if (ax < 0 || ay < 0) return t.border;
  return d3d9::DecodeTexel(t.format, t.bits + static_cast<size_t>(ay) * t.pitch +
                                         static_cast<size_t>(ax) * d3d9::BytesPerTexel(t.format));
}

Color ReferenceSample(const TextureView& t, float u, float v, bool linear) {
  constexpr float kLimit = 1 << 20;
  float fu = std::clamp(u * static_cast<float>(t.width), -kLimit, kLimit);
  float fv = std::clamp(v * static_cast<float>(t.height), -kLimit, kLimit);
  if (std::isnan(u * static_cast<float>(t.width))) fu = 0.f;
  if (std::isnan(v * static_cast<float>(t.height))) fv = 0.f;
  if (!linear) return ReferenceTexel(t, static_cast<int>(std::floor(fu)), static_cast<int>(std::floor(fv)));
  fu -= 0.5f;
  fv -= 0.5f;
  const float x0 = std::floor(fu);
  const float y0 = std::floor(fv);
  const float wx = fu - x0;
  const float wy = fv - y0;
  const int ix = static_cast<int>(x0);
  const int iy = static_cast<int>(y0);
  const Color c[4] = {ReferenceTexel(t, ix, iy), ReferenceTexel(t, ix + 1, iy), ReferenceTexel(t, ix, iy + 1),
                      ReferenceTexel(t, ix + 1, iy + 1)};
  const float w[4] = {(1.f - wx) * (1.f - wy), wx * (1.f - wy), (1.f - wx) * wy, wx * wy};
  Color out;
  float* channels[4] = {&out.r, &out.g, &out.b, &out.a};
  for (int ch = 0; ch < 4; ++ch) {
    const auto at = [&](int k) { return ch == 0 ? c[k].r : ch == 1 ? c[k].g : ch == 2 ? c[k].b : c[k].a; };
    *channels[ch] = at(0) * w[0] + at(1) * w[1] + at(2) * w[2] + at(3) * w[3];
  }
  return out;
}

TEST(TextureSamplingTest, FloorAgreesWithTheLibraryOnEveryKindOfFloat) {
  const float inf = std::numeric_limits<float>::infinity();
  const float cases[] = {0.f,         -0.f,       0.5f,        -0.5f,       1.f,       -1.f,      2.9999998f,
                         -2.0000002f, 1e-30f,     -1e-30f,     8388607.5f,  -8388607.5f, 8388608.f, -8388609.f,
                         3e9f,        -3e9f,      1e38f,       -1e38f,      inf,       -inf,      123456.78f,
                         -0.99999994f, 0.99999994f, std::numeric_limits<float>::denorm_min()};
  for (float x : cases) EXPECT_EQ(Bits(d3d9::Floor(x)), Bits(std::floor(x))) << x;
  EXPECT_TRUE(std::isnan(d3d9::Floor(std::numeric_limits<float>::quiet_NaN())));
}

TEST(TextureSamplingTest, ChannelsBecomeBytesHeldAndRounded) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    int byte;
  } cases[] = {{std::numeric_limits<float>::quiet_NaN(), 0}, {-inf, 0}, {-1.f, 0}, {-0.f, 0}, {0.f, 0},
               {1e-30f, 0}, {0.5f / 255.f, 1}, {0.4999f / 255.f, 0}, {0.5f, 128}, {254.5f / 255.f, 255},
               {254.49f / 255.f, 254}, {1.f, 255}, {1.0000001f, 255}, {3e38f, 255}, {inf, 255}};
  for (const auto& c : cases) EXPECT_EQ(d3d9::ToByte(c.value), c.byte) << c.value;
}

// Point copies write a texel without decoding it: that holds only while every byte decoded and
// encoded again is the same byte.
TEST(TextureSamplingTest, EveryByteDecodedAndEncodedIsTheSameByte) {
  for (int byte = 0; byte < 256; ++byte) EXPECT_EQ(d3d9::ToByte(static_cast<float>(byte) * (1.f / 255.f)), byte);
}

TEST(TextureSamplingTest, SamplesMatchTexelByTexelReadingBitForBit) {
  struct Case {
    D3DFORMAT format;
    int width, height;
  };
  // Power-of-two and odd sizes (mask and division repeats), 32-bit and other formats, and a row
  // one texel wide where a bilinear footprint always straddles the edge; the bump maps' signed format.
  const Case textures[] = {{D3DFMT_A8R8G8B8, 8, 4},  {D3DFMT_X8R8G8B8, 13, 7}, {D3DFMT_A8R8G8B8, 5, 16},
                           {D3DFMT_R5G6B5, 8, 8},    {D3DFMT_A8R8G8B8, 1, 3},  {D3DFMT_X8R8G8B8, 16, 1},
                           {D3DFMT_V8U8, 8, 8},      {D3DFMT_V8U8, 7, 5}};
  const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER};
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> coordinates = {nan, -1e30f, 1e30f, -3.1f, -1.f, -0.02f, -0.f, 0.f, 0.999f, 1.f, 1.7f, 7.25f};
  for (int i = 0; i <= 40; ++i) coordinates.push_back(-0.5f + i * 0.0517f);

  for (const Case& c : textures) {
    const UINT bytes = d3d9::BytesPerTexel(c.format);
    const size_t pitch = c.width * bytes + 4;  // rows padded, as a surface's may be
    std::vector<uint8_t> bits(pitch * c.height);
    uint32_t seed = 12345;
    for (uint8_t& b : bits) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    for (DWORD modeU : modes) {
      for (DWORD modeV : modes) {
        TextureView view;
        view.bits = bits.data();
        view.width = c.width;
        view.height = c.height;
        view.pitch = pitch;
        view.format = c.format;
        view.addressU = modeU;
        view.addressV = modeV;
        view.border = {0.25f, 0.5f, 0.75f, 0.125f};
        for (bool linear : {false, true}) {
          for (float u : coordinates) {
            for (float v : coordinates) {
              const Color got = view.Sample(u, v, linear);
              const Color want = ReferenceSample(view, u, v, linear);
              const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height) + " format " +
                                        std::to_string(c.format) + " modes " + std::to_string(modeU) + "/" +
                                        std::to_string(modeV) + (linear ? " linear" : " point") + " at (" +
                                        std::to_string(u) + ", " + std::to_string(v) + ")";
              ASSERT_EQ(Bits(got.r), Bits(want.r)) << where;
              ASSERT_EQ(Bits(got.g), Bits(want.g)) << where;
              ASSERT_EQ(Bits(got.b), Bits(want.b)) << where;
              ASSERT_EQ(Bits(got.a), Bits(want.a)) << where;
            }
          }
          // A pixel program's sampler reads a block of lanes at once, on every instruction set,
          // filtered as the view's filters say.
          view.magFilter = view.minFilter = linear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
          std::vector<float> us;
          std::vector<float> vs;
          for (float u : coordinates)
            for (float v : coordinates) {
              us.push_back(u);
              vs.push_back(v);
            }
          us.resize((us.size() + d3d9::kBlockPixels - 1) / d3d9::kBlockPixels * d3d9::kBlockPixels, 0.3f);
          vs.resize(us.size(), 0.6f);
          for (const std::string& target : d3d9::WideTargets()) {
            d3d9::UseWideTarget(target);
            for (size_t first = 0; first < us.size(); first += d3d9::kBlockPixels) {
              d3d9::ColorBlock block;
              d3d9::SampleBlock(view, us.data() + first, vs.data() + first, block);
              // Red alone, into an array a program keeps anywhere (here one float off alignment).
              float reds[d3d9::kBlockPixels + 1];
              d3d9::SampleBlockRed(view, us.data() + first, vs.data() + first, reds + 1);
              for (int i = 0; i < d3d9::kBlockPixels; ++i) {
                ASSERT_EQ(Bits(reds[i + 1]), Bits(block.r[i])) << target << " red alone, lane " << i;
                const Color want = view.Sample(us[first + i], vs[first + i], linear);
                const std::string where = target + " " + std::to_string(c.width) + "x" + std::to_string(c.height) +
                                          " format " + std::to_string(c.format) + " at (" +
                                          std::to_string(us[first + i]) + ", " + std::to_string(vs[first + i]) + ")";
                ASSERT_EQ(Bits(block.r[i]), Bits(want.r)) << where;
                ASSERT_EQ(Bits(block.g[i]), Bits(want.g)) << where;
                ASSERT_EQ(Bits(block.b[i]), Bits(want.b)) << where;
                ASSERT_EQ(Bits(block.a[i]), Bits(want.a)) << where;
              }
            }
          }
          d3d9::UseWideTarget("");
        }
      }
    }
  }
}

// Blocks of lanes stepping along a line through the texture, as a pixel program's row of pixels
// does: at the steps of a copy, a magnification, a minification and a slight rotation, near the
// edges, off the first repeat and across its edge. Wide instruction sets read such footprints from
// rows in registers; each lane must still read what a texel-by-texel reading gives.
TEST(TextureSamplingTest, BlocksAlongRowsMatchTexelByTexelReadingBitForBit) {
  struct Texture {
    D3DFORMAT format;
    int width, height;
  };
  const Texture textures[] = {{D3DFMT_A8R8G8B8, 64, 32}, {D3DFMT_X8R8G8B8, 37, 19}, {D3DFMT_V16U16, 70, 9},
                              {D3DFMT_V8U8, 80, 12},     {D3DFMT_V8U8, 67, 9}};
  struct Line {
    const char* name;
    float u0, v0;  // the first lane, in texels (u0 from the right edge where fromRight)
    float du, dv;  // the step from lane to lane, in texels
    bool fromRight = false;
  };
  const Line lines[] = {
      {"copy", 0.5f, 2.5f, 1.f, 0.f},
      {"copy between texels", 3.25f, 4.75f, 1.f, 0.f},
      {"copy across the left edge", -40.f, 1.2f, 1.f, 0.f},
      {"copy up to the right edge", -64.4f, 1.2f, 1.f, 0.f, true},
      {"magnified up to the right edge", -24.3f, 2.2f, 0.37f, 0.f, true},
      {"magnified", 1.3f, 3.4f, 0.37f, 0.f},
      {"minified", 0.7f, 5.1f, 1.9f, 0.f},
      {"minified more than a register holds", 0.7f, 5.1f, 2.3f, 0.f},
      {"slightly rotated", 2.2f, 3.9f, 0.98f, 0.031f},
      {"rotated across three rows", 2.2f, 3.9f, 0.98f, 0.09f},
      {"off the first repeat", 200.6f, -61.3f, 0.8f, 0.f},
      {"across the repeat's edge", -9.4f, 6.6f, 0.6f, 0.f},
      {"along a column", 4.4f, -3.3f, 0.f, 0.7f},
  };
  const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER};
  for (const Texture& t : textures) {
    const UINT bytes = d3d9::BytesPerTexel(t.format);
    const size_t pitch = (t.width * bytes + 8 + 3) / 4 * 4;  // padded rows of whole words
    std::vector<uint8_t> bits(pitch * t.height);
    uint32_t seed = 777;
    for (uint8_t& b : bits) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    for (DWORD mode : modes) {
      TextureView view;
      view.bits = bits.data();
      view.width = t.width;
      view.height = t.height;
      view.pitch = pitch;
      view.format = t.format;
      view.addressU = view.addressV = mode;
      view.magFilter = view.minFilter = D3DTEXF_LINEAR;
      view.border = {0.25f, 0.5f, 0.75f, 0.125f};
      for (const Line& line : lines) {
        float us[d3d9::kBlockPixels];
        float vs[d3d9::kBlockPixels];
        for (int i = 0; i < d3d9::kBlockPixels; ++i) {
          const float u0 = line.fromRight ? static_cast<float>(t.width) + line.u0 : line.u0;
          us[i] = (u0 + line.du * static_cast<float>(i)) / static_cast<float>(t.width);
          vs[i] = (line.v0 + line.dv * static_cast<float>(i)) / static_cast<float>(t.height);
        }
        for (const std::string& target : d3d9::WideTargets()) {
          d3d9::UseWideTarget(target);
          d3d9::ColorBlock block;
          d3d9::SampleBlock(view, us, vs, block);
          float reds[d3d9::kBlockPixels];
          d3d9::SampleBlockRed(view, us, vs, reds);
          float pairReds[d3d9::kBlockPixels];
          float pairGreens[d3d9::kBlockPixels];
          d3d9::SampleBlockRedGreen(view, us, vs, pairReds, pairGreens);
          for (int i = 0; i < d3d9::kBlockPixels; ++i) {
            const Color want = ReferenceSample(view, us[i], vs[i], true);
            const std::string where = target + " " + std::to_string(t.width) + "x" + std::to_string(t.height) +
                                      " format " + std::to_string(t.format) + " mode " + std::to_string(mode) +
                                      " " + line.name + ", lane " + std::to_string(i);
            ASSERT_EQ(Bits(block.r[i]), Bits(want.r)) << where;
            ASSERT_EQ(Bits(block.g[i]), Bits(want.g)) << where;
            ASSERT_EQ(Bits(block.b[i]), Bits(want.b)) << where;
            ASSERT_EQ(Bits(block.a[i]), Bits(want.a)) << where;
            ASSERT_EQ(Bits(reds[i]), Bits(want.r)) << where << " red alone";
            ASSERT_EQ(Bits(pairReds[i]), Bits(want.r)) << where << " red with green";
            ASSERT_EQ(Bits(pairGreens[i]), Bits(want.g)) << where << " green with red";
          }
        }
        d3d9::UseWideTarget("");
      }
    }
  }
}

}  // namespace
