#include "objects/blank_texels.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>

#include "platform/d3d9/texture_view.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/objects/stage_textures.h"

namespace {

constexpr int kSide = 8;

const char* ModeName(DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_WRAP:
      return "wrap";
    case D3DTADDRESS_MIRROR:
      return "mirror";
    case D3DTADDRESS_CLAMP:
      return "clamp";
    case D3DTADDRESS_BORDER:
      return "border";
    default:
      return "other";
  }
}

class BlankTexelsTest : public doc_res_test::DeviceTest {
 protected:
  // An 8 x 8 texture of `format`, zero but for texel (4, 3), whose bytes are `texel`.
  ComHolder<IDirect3DTexture9> Texture(D3DFORMAT format, uint32_t texel) {
    ComHolder<IDirect3DTexture9> texture;
    EXPECT_EQ(device_->CreateTexture(kSide, kSide, 1, 0, format, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
    auto* bits = static_cast<uint8_t*>(locked.pBits);
    for (int y = 0; y < kSide; ++y) std::memset(bits + y * locked.Pitch, 0, kSide * 4);
    std::memcpy(bits + 3 * locked.Pitch + 4 * 4, &texel, 4);
    texture->UnlockRect(0);
    return texture;
  }

  // `texture` as a stage reads it with these address modes and border colour.
  static d3d9::TextureView Stage(IDirect3DTexture9* texture, DWORD addressU, DWORD addressV,
                                 d3d9::Color border = {}) {
    return StageView(texture, addressU, addressV, border);
  }

  // Point and bilinear lookups across the whole rectangle, on a grid finer than the texels and at
  // its very corners: all must read a red of +0 where the rectangle is called blank.
  static void ExpectLookupsReadZeroRed(const d3d9::TextureView& stage, float uLow, float uHigh, float vLow,
                                       float vHigh) {
    constexpr int kSteps = 64;
    for (int j = 0; j <= kSteps; ++j) {
      for (int i = 0; i <= kSteps; ++i) {
        const float u = i == kSteps ? uHigh : uLow + (uHigh - uLow) * static_cast<float>(i) / kSteps;
        const float v = j == kSteps ? vHigh : vLow + (vHigh - vLow) * static_cast<float>(j) / kSteps;
        for (const bool linear : {false, true})
          ASSERT_EQ(std::bit_cast<uint32_t>(stage.Sample(u, v, linear).r), 0u)
              << "u " << u << ", v " << v << (linear ? ", bilinear" : ", point");
      }
    }
  }
};

// The texel at (4, 3) spans u 0.5 .. 0.625 and v 0.375 .. 0.5. A lookup reads it from one texel
// away: a bilinear lookup at u 0.4375 (texel 3's centre plus a little) already weighs texel 4.
// Inside the texture the address modes change nothing.
TEST_F(BlankTexelsTest, BlankWhereNoLookupCanReachAnUnzeroTexel) {
  const ComHolder<IDirect3DTexture9> red = Texture(D3DFMT_A8R8G8B8, 0x00010000u);
  const BlankTexels blank = BlankTexels::Of(red.Get(), BlankTexels::Channel::kRed);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    float uLow, uHigh, vLow, vHigh;
    bool blank;
  };
  const Case cases[] = {
      {"left, a texel clear of it", 0.13f, 0.37f, 0.13f, 0.74f, true},
      {"left, close enough for a bilinear lookup", 0.13f, 0.38f, 0.13f, 0.74f, false},
      {"right, a texel clear of it", 0.76f, 0.86f, 0.13f, 0.74f, true},
      {"right, close enough", 0.74f, 0.86f, 0.13f, 0.74f, false},
      {"above, clear", 0.13f, 0.86f, 0.13f, 0.24f, true},
      {"above, close enough", 0.13f, 0.86f, 0.13f, 0.26f, false},
      {"on it", 0.55f, 0.56f, 0.4f, 0.41f, false},
      {"not a number", nan, 0.3f, 0.13f, 0.24f, false},
      {"upside down", 0.3f, 0.13f, 0.13f, 0.24f, false},
  };
  for (const DWORD mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER}) {
    const d3d9::TextureView stage = Stage(red.Get(), mode, mode, d3d9::Color{1.0f, 1.0f, 1.0f, 1.0f});
    for (const Case& c : cases) {
      EXPECT_EQ(blank.Blank(c.uLow, c.uHigh, c.vLow, c.vHigh, stage), c.blank) << c.what << ", " << ModeName(mode);
      if (c.blank) ExpectLookupsReadZeroRed(stage, c.uLow, c.uHigh, c.vLow, c.vHigh);
    }
  }
}

// Across the edges the address modes decide which texels are read: blank exactly where the
// placed texels, and the border colour where it is read, have a red of +0.
TEST_F(BlankTexelsTest, AddressModesDecideWhatAReachAcrossTheEdgeReads) {
  const ComHolder<IDirect3DTexture9> red = Texture(D3DFMT_A8R8G8B8, 0x00010000u);
  const BlankTexels blank = BlankTexels::Of(red.Get(), BlankTexels::Channel::kRed);
  const float huge = 1e30f;
  const d3d9::Color black{0.0f, 0.0f, 0.0f, 0.0f};
  const d3d9::Color green{0.0f, 1.0f, 0.0f, 1.0f};
  const d3d9::Color red1{1.0f / 255.0f, 0.0f, 0.0f, 0.0f};
  const d3d9::Color negativeZero{-0.0f, 0.0f, 0.0f, 0.0f};
  struct Case {
    const char* what;
    DWORD addressU, addressV;
    d3d9::Color border;
    float uLow, uHigh, vLow, vHigh;
    bool blank;
  };
  const Case cases[] = {
      // Rows 0 .. 2 hold no red, row 3 does (v 0.4 .. 0.45 reads rows 2 .. 4).
      {"clamped left of the texture", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, -0.5f, -0.2f, 0.4f, 0.45f, true},
      {"clamped right of the texture", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, 1.2f, 1.5f, 0.4f, 0.45f, true},
      {"clamped within a texel of the left edge", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, 0.12f, 0.3f, 0.4f,
       0.45f, true},
      {"clamped above, onto its column", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, 0.5f, 0.6f, -0.5f, -0.1f, true},
      {"clamped from above down to it", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, 0.5f, 0.6f, -0.5f, 0.3f, false},
      {"clamped far out", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, huge, huge, 0.13f, 0.24f, true},
      {"clamped from far left to far right", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, green, -huge, huge, 0.4f, 0.45f,
       false},
      {"border of no red left of the texture", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, green, -0.5f, -0.2f, 0.4f,
       0.45f, true},
      {"border of no colour, everywhere outside", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, black, -0.5f, 1.5f, -0.6f,
       -0.2f, true},
      {"red border left of the texture", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, red1, -0.5f, -0.2f, 0.4f, 0.45f,
       false},
      {"red border beside blank texels", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, red1, -0.2f, 0.2f, 0.13f, 0.24f,
       false},
      {"red border, lookups inside", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, red1, 0.2f, 0.3f, 0.4f, 0.45f, true},
      {"border of -0 red", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, negativeZero, -0.5f, -0.2f, 0.4f, 0.45f, false},
      {"border of no red, reaching in to it", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, black, -0.2f, 0.45f, 0.3f,
       0.45f, false},
      {"repeated onto it", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, 1.5f, 1.6f, 0.4f, 0.45f, false},
      {"repeated beside it", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, 1.2f, 1.3f, 0.4f, 0.45f, true},
      {"repeated across the right edge", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, 0.9f, 1.1f, 0.4f, 0.45f, true},
      {"repeated across the left edge onto it", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, -0.6f, -0.45f, 0.4f,
       0.45f, false},
      {"repeated wider than the texture, above it", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, -0.5f, 0.6f, 0.13f,
       0.24f, true},
      {"repeated wider than the texture, over it", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, -0.5f, 0.6f, 0.13f,
       0.45f, false},
      {"repeated from below the bottom", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, green, 0.5f, 0.6f, 1.3f, 1.45f, false},
      {"mirrored left onto it", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, green, -0.5f, -0.45f, 0.4f, 0.45f, false},
      {"mirrored left, beside it", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, green, -0.3f, -0.25f, 0.4f, 0.45f, true},
      {"mirrored across the left edge", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, green, -0.2f, 0.2f, 0.4f, 0.45f,
       true},
      {"mirrored right onto it", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, green, 1.3f, 1.35f, 0.4f, 0.45f, false},
      {"mirrored across the right edge", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, green, 0.85f, 1.15f, 0.4f, 0.45f,
       true},
      {"mirrored a whole turn on", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, green, 2.55f, 2.56f, 0.4f, 0.41f, false},
      {"clamped across, repeated down onto it", D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, green, 0.5f, 0.6f, -0.6f, -0.55f,
       false},
      {"repeated across, clamped down beside it", D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, green, 1.5f, 1.6f, -0.6f,
       -0.1f, true},
  };
  for (const Case& c : cases) {
    const d3d9::TextureView stage = Stage(red.Get(), c.addressU, c.addressV, c.border);
    EXPECT_EQ(blank.Blank(c.uLow, c.uHigh, c.vLow, c.vHigh, stage), c.blank) << c.what;
    if (c.blank) ExpectLookupsReadZeroRed(stage, c.uLow, c.uHigh, c.vLow, c.vHigh);
  }
}

// Only the channel asked about counts, and only where the format keeps it; a texture whose texels
// cannot be read so knows nothing blank, nor does a stage that reads a texture of another size.
TEST_F(BlankTexelsTest, ChannelAndFormatDecideWhatCounts) {
  struct Case {
    const char* what;
    D3DFORMAT format;
    uint32_t texel;
    BlankTexels::Channel channel;
    bool known;            // blank far from texel (4, 3)
    bool blankNearTexel;   // blank where lookups read it
  };
  const Case cases[] = {
      {"green beside zero red", D3DFMT_A8R8G8B8, 0xff00ff00u, BlankTexels::Channel::kRed, true, true},
      {"red", D3DFMT_A8R8G8B8, 0x00ff0000u, BlankTexels::Channel::kRed, true, false},
      {"red beside zero alpha", D3DFMT_A8R8G8B8, 0x00ff0000u, BlankTexels::Channel::kAlpha, true, true},
      {"alpha", D3DFMT_A8R8G8B8, 0x01000000u, BlankTexels::Channel::kAlpha, true, false},
      {"no alpha kept: opaque", D3DFMT_X8R8G8B8, 0u, BlankTexels::Channel::kAlpha, false, false},
      {"red without alpha", D3DFMT_X8R8G8B8, 0xff000000u, BlankTexels::Channel::kRed, true, true},
      {"signed offsets", D3DFMT_V16U16, 0u, BlankTexels::Channel::kRed, false, false},
  };
  for (const Case& c : cases) {
    const ComHolder<IDirect3DTexture9> texture = Texture(c.format, c.texel);
    const BlankTexels blank = BlankTexels::Of(texture.Get(), c.channel);
    const d3d9::TextureView stage = Stage(texture.Get(), D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
    EXPECT_EQ(blank.Blank(0.4f, 0.7f, 0.3f, 0.6f, stage), c.blankNearTexel) << c.what;
    EXPECT_EQ(blank.Blank(0.13f, 0.3f, 0.13f, 0.2f, stage), c.known) << c.what << ", far from the texel";
  }
  // The border colour counts in the channel asked about: here its alpha, not its red.
  const ComHolder<IDirect3DTexture9> zero = Texture(D3DFMT_A8R8G8B8, 0u);
  const BlankTexels alpha = BlankTexels::Of(zero.Get(), BlankTexels::Channel::kAlpha);
  EXPECT_TRUE(alpha.Blank(-0.5f, -0.2f, 0.4f, 0.45f,
                          Stage(zero.Get(), D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, d3d9::Color{1.0f, 1.0f, 1.0f, 0.0f})));
  EXPECT_FALSE(alpha.Blank(-0.5f, -0.2f, 0.4f, 0.45f,
                           Stage(zero.Get(), D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, d3d9::Color{0.0f, 0.0f, 0.0f, 1.0f})));

  const ComHolder<IDirect3DTexture9> red = Texture(D3DFMT_A8R8G8B8, 0x00ff0000u);
  const d3d9::TextureView stage = Stage(red.Get(), D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  EXPECT_FALSE(BlankTexels::Of(nullptr, BlankTexels::Channel::kRed).Blank(0.13f, 0.3f, 0.13f, 0.2f, stage));
  ComHolder<IDirect3DTexture9> larger;
  ASSERT_EQ(device_->CreateTexture(2 * kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, larger.Out(), nullptr),
            S_OK);
  const d3d9::TextureView otherSize = Stage(larger.Get(), D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  EXPECT_FALSE(BlankTexels::Of(red.Get(), BlankTexels::Channel::kRed).Blank(0.13f, 0.3f, 0.13f, 0.2f, otherSize));
}

}  // namespace
