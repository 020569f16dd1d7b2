#include "objects/blank_texels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "tests/document/doc_res_manager_fixture.h"

namespace {

constexpr int kSide = 8;

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
};

// The texel at (4, 3) spans u 0.5 .. 0.625 and v 0.375 .. 0.5. A lookup reads it from one texel
// away: a bilinear lookup at u 0.4375 (texel 3's centre plus a little) already weighs texel 4.
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
      {"within a texel of the left edge", 0.12f, 0.3f, 0.13f, 0.24f, false},
      {"within a texel of the bottom edge", 0.13f, 0.3f, 0.6f, 0.88f, false},
      {"outside", -0.5f, -0.2f, 0.13f, 0.24f, false},
      {"not a number", nan, 0.3f, 0.13f, 0.24f, false},
      {"upside down", 0.3f, 0.13f, 0.13f, 0.24f, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(blank.Blank(c.uLow, c.uHigh, c.vLow, c.vHigh), c.blank) << c.what;
}

// Only the channel asked about counts, and only where the format keeps it; a texture whose texels
// cannot be read so knows nothing blank.
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
    EXPECT_EQ(blank.Blank(0.4f, 0.7f, 0.3f, 0.6f), c.blankNearTexel) << c.what;
    EXPECT_EQ(blank.Blank(0.13f, 0.3f, 0.13f, 0.2f), c.known) << c.what << ", far from the texel";
  }
  EXPECT_FALSE(BlankTexels::Of(nullptr, BlankTexels::Channel::kRed).Blank(0.13f, 0.3f, 0.13f, 0.2f));
}

}  // namespace
