#include "objects/red_extremes.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/d3d9/texture_view.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/objects/stage_textures.h"

namespace {

constexpr int kSide = 8;

// The red byte of texel (x, y): rising to the right, and a little downwards.
int RedAt(int x, int y) { return 20 + 25 * x + y; }

class RedExtremesTest : public doc_res_test::DeviceTest {
 protected:
  // A side x side texture of `format` whose reds are RedAt and other channels full.
  ComHolder<IDirect3DTexture9> Texture(D3DFORMAT format, int side = kSide) {
    return FilledTexture(device_.Get(), format, side,
                         [](int x, int y) { return 0xff00ffffu | static_cast<uint32_t>(RedAt(x, y) & 0xff) << 16; });
  }

  // `texture` as a stage reads it with these address modes and border red.
  static d3d9::TextureView Stage(IDirect3DTexture9* texture, DWORD addressU, DWORD addressV, float borderRed = 0.0f) {
    return StageView(texture, addressU, addressV, d3d9::Color{borderRed, 1.0f, 1.0f, 1.0f});
  }
};

float Red(int byte) { return static_cast<float>(byte) * (1.f / 255.f); }

// The bounds hold every red a point or bilinear lookup over the rectangle reads, wherever the
// address modes place it, and are no wider than the texels and border the lookups can reach.
TEST_F(RedExtremesTest, BoundsEveryRedTheLookupsRead) {
  const ComHolder<IDirect3DTexture9> texture = Texture(D3DFMT_A8R8G8B8);
  const RedExtremes extremes = RedExtremes::Of(texture.Get());
  struct Case {
    const char* what;
    DWORD addressU, addressV;
    float borderRed;
    float uLow, uHigh, vLow, vHigh;
    float low, high;  // the reds of the texels and border within a texel of the rectangle
  };
  // v 0.4 .. 0.45 reaches rows 2 .. 4.
  const Case cases[] = {
      {"inside", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, 0.0f, 0.3f, 0.45f, 0.4f, 0.45f, Red(RedAt(1, 2)),
       Red(RedAt(4, 4))},
      {"clamped left of the texture", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, 0.0f, -0.5f, -0.2f, 0.4f, 0.45f,
       Red(RedAt(0, 2)), Red(RedAt(0, 4))},
      {"clamped to the corner: one texel, weighed four times", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, 0.0f, -0.5f,
       -0.2f, -0.6f, -0.2f, Red(RedAt(0, 0)), Red(RedAt(0, 0))},
      {"clamped from far above to far below", D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, 0.0f, 0.3f, 0.45f, -1e30f, 1e30f,
       Red(RedAt(1, 0)), Red(RedAt(4, 7))},
      {"repeated across the right edge", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, 0.0f, 0.9f, 1.1f, 0.4f, 0.45f,
       Red(RedAt(0, 2)), Red(RedAt(7, 4))},
      {"repeated a whole turn on", D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, 0.0f, 2.3f, 2.45f, 3.4f, 3.45f,
       Red(RedAt(1, 2)), Red(RedAt(4, 4))},
      {"mirrored across the left edge", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, 0.0f, -0.2f, 0.1f, 0.4f, 0.45f,
       Red(RedAt(0, 2)), Red(RedAt(2, 4))},
      {"mirrored back from the right", D3DTADDRESS_MIRROR, D3DTADDRESS_MIRROR, 0.0f, 1.3f, 1.35f, 0.4f, 0.45f,
       Red(RedAt(4, 2)), Red(RedAt(6, 4))},
      {"red border beside the texels", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, 1.0f, -0.5f, 0.2f, 0.4f, 0.45f,
       Red(RedAt(0, 2)), 1.0f},
      {"border of no red beside the texels", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, 0.0f, -0.5f, 0.2f, 0.4f, 0.45f,
       0.0f, Red(RedAt(2, 4))},
      {"border alone", D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, 0.5f, -0.5f, -0.3f, 0.4f, 0.45f, 0.5f, 0.5f},
      {"clamped across, border below", D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER, 0.0f, 0.3f, 0.45f, 0.9f, 1.2f, 0.0f,
       Red(RedAt(4, 7))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const d3d9::TextureView stage = Stage(texture.Get(), c.addressU, c.addressV, c.borderRed);
    float low = -1.0f;
    float high = -1.0f;
    ASSERT_TRUE(extremes.Reds(c.uLow, c.uHigh, c.vLow, c.vHigh, stage, low, high));
    EXPECT_NEAR(low, c.low, 1e-5f);
    EXPECT_NEAR(high, c.high, 1e-5f);
    // Far-out rectangles are looked up near their ends, where the sampler holds the coordinates.
    const bool far = c.vHigh > 1e29f;
    constexpr int kSteps = 48;
    for (int j = 0; j <= kSteps; ++j) {
      for (int i = 0; i <= kSteps; ++i) {
        const float u = i == kSteps ? c.uHigh : c.uLow + (c.uHigh - c.uLow) * static_cast<float>(i) / kSteps;
        const float v = far ? (j % 2 ? c.vHigh : c.vLow)
                            : (j == kSteps ? c.vHigh : c.vLow + (c.vHigh - c.vLow) * static_cast<float>(j) / kSteps);
        for (const bool linear : {false, true}) {
          const float red = stage.Sample(u, v, linear).r;
          ASSERT_TRUE(low <= red && red <= high)
              << "u " << u << ", v " << v << (linear ? ", bilinear " : ", point ") << red;
        }
      }
    }
  }
}

// What cannot be bounded cheaply, or not at all, is not bounded.
TEST_F(RedExtremesTest, KnowsNothingItCannotTell) {
  const ComHolder<IDirect3DTexture9> texture = Texture(D3DFMT_A8R8G8B8);
  const d3d9::TextureView stage = Stage(texture.Get(), D3DTADDRESS_WRAP, D3DTADDRESS_WRAP);
  const RedExtremes extremes = RedExtremes::Of(texture.Get());
  const ComHolder<IDirect3DTexture9> tall = Texture(D3DFMT_A8R8G8B8, 32);
  const ComHolder<IDirect3DTexture9> signedOffsets = Texture(D3DFMT_V16U16);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  float low = 0.0f;
  float high = 0.0f;
  EXPECT_FALSE(extremes.Reds(nan, 0.3f, 0.4f, 0.45f, stage, low, high)) << "not a number";
  EXPECT_FALSE(extremes.Reds(0.3f, 0.2f, 0.4f, 0.45f, stage, low, high)) << "upside down";
  EXPECT_FALSE(extremes.Reds(0.3f, 0.45f, 0.4f, 0.45f, Stage(tall.Get(), D3DTADDRESS_WRAP, D3DTADDRESS_WRAP), low,
                             high))
      << "a stage showing another texture";
  EXPECT_FALSE(RedExtremes::Of(tall.Get()).Reds(0.3f, 0.45f, 0.1f, 0.9f,
                                                Stage(tall.Get(), D3DTADDRESS_WRAP, D3DTADDRESS_WRAP), low, high))
      << "too many rows";
  EXPECT_FALSE(RedExtremes::Of(signedOffsets.Get()).Reds(0.3f, 0.45f, 0.4f, 0.45f, stage, low, high))
      << "signed offsets";
  EXPECT_FALSE(RedExtremes::Of(nullptr).Reds(0.3f, 0.45f, 0.4f, 0.45f, stage, low, high)) << "no texture";
  EXPECT_FALSE(extremes.Reds(-0.5f, 0.2f, 0.4f, 0.45f,
                             Stage(texture.Get(), D3DTADDRESS_BORDER, D3DTADDRESS_BORDER, nan), low, high))
      << "border of no number";
}

}  // namespace
