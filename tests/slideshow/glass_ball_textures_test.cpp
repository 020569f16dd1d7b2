#include <gtest/gtest.h>

#include <cstring>

#include "layer_fixture.h"
#include "platform/machine/machine.h"
#include "slideshow/glass_ball_light.h"

namespace {

int16_t U(uint32_t texel) { return static_cast<int16_t>(texel & 0xFFFF); }
int16_t V(uint32_t texel) { return static_cast<int16_t>(texel >> 16); }

}  // namespace

// Slopes of a hemisphere of radius 128 about (128, 128), as arctangents scaled onto +-25600.
TEST(GlassBallTexelsTest, BumpMapHoldsTheHemisphereSlopes) {
  struct Case {
    int c, r;
    int16_t u, v;
  };
  const Case cases[] = {
      {128, 128, 63, 63},       // the top: the slope towards the next texel only
      {192, 128, 8607, 73},     // right of the top: steep in u, nearly flat in v
      {128, 192, 73, 8607},     // the same below the top, with the roles exchanged
      {200, 200, 12299, 12299}, // on the diagonal both slopes are equal
      {100, 50, -4472, -10909}, // left of and above the top the surface rises towards it
      {0, 0, 0, 0},             // corners lie outside the disc
      {255, 255, 0, 0},
      {0, 255, 0, 0},
      {255, 128, 0, 0},         // the last column is flat by rule
      {255, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.c << ", " << c.r << ")");
    const uint32_t texel = glass_ball::BumpTexel(c.c, c.r);
    EXPECT_EQ(U(texel), c.u);
    EXPECT_EQ(V(texel), c.v);
  }
}

// At the rim the slope reaches its largest values, but never beyond the arctangent's +-25600.
TEST(GlassBallTexelsTest, BumpSlopesStayInRangeAndVanishOutsideTheDisc) {
  for (int r = 0; r < 256; ++r)
    for (int c = 0; c < 256; ++c) {
      const uint32_t texel = glass_ball::BumpTexel(c, r);
      ASSERT_LE(std::abs(U(texel)), 25600) << c << "," << r;
      ASSERT_LE(std::abs(V(texel)), 25600) << c << "," << r;
      const int dx = c - 128, dy = r - 128;
      // Beyond radius 129 no neighbour lies on the hemisphere either.
      if (dx * dx + dy * dy > 130 * 130) {
        ASSERT_EQ(texel, 0u) << c << "," << r;
      }
    }
}

TEST(GlassBallTexelsTest, MaskIsOpaqueOutsideRadius508) {
  struct Case {
    int x, y;
    uint8_t alpha;
  };
  const Case cases[] = {{512, 512, 0},  {1020, 512, 0},   {1021, 512, 255}, {512, 4, 0}, {512, 3, 255},
                        {4, 512, 0},    {3, 512, 255},    {0, 0, 255},      {1023, 1023, 255},
                        {871, 871, 0},  {872, 871, 255}};  // 2 x 359^2 inside, 360^2 + 359^2 outside
  for (const Case& c : cases) {
    EXPECT_EQ(glass_ball::MaskTexel(c.x, c.y), c.alpha) << c.x << ", " << c.y;
  }
}

// Each channel runs from its top to its bottom value, truncated; red is the stored low byte.
TEST(GlassBallTexelsTest, GradientRowsBlendTheTwoColours) {
  struct Case {
    DWORD top, bottom;
    int row;
    uint32_t texel;
  };
  const Case cases[] = {
      {0x00000000u, 0x00000000u, 100, 0x00000000u},
      {0x000000FFu, 0x00FF0000u, 0, 0x00FF0000u},    // top: red
      {0x000000FFu, 0x00FF0000u, 255, 0x000000FFu},  // bottom: blue
      {0x00000000u, 0x00FFFFFFu, 128, 0x00808080u},
      {0x00000064u, 0x00000000u, 1, 0x00630000u},    // 100 - 0.39 truncates to 99
      {0x0000FF00u, 0x00000000u, 254, 0x00000100u},  // 255 - 254 = 1
      {0x00332211u, 0x00332211u, 77, 0x00112233u},   // one colour: every row equal, alpha 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(glass_ball::GradientTexel(c.top, c.bottom, c.row), c.texel)
        << std::hex << c.top << " " << c.bottom << std::dec << " row " << c.row;
  }
}

class GlassBallTexturesTest : public LayerDeviceTest {
 protected:
  void TearDown() override {
    machine::Current().faults.failResourceCreation = false;
    LayerDeviceTest::TearDown();
  }

  static D3DSURFACE_DESC Describe(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    return desc;
  }

  // The texel at (x, y) of the top level, `bytes` wide.
  static uint32_t Read(IDirect3DTexture9* texture, int x, int y, int bytes) {
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return 0xDEADBEEF;
    uint32_t value = 0;
    std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * bytes, size_t(bytes));
    texture->UnlockRect(0);
    return value;
  }
};

TEST_F(GlassBallTexturesTest, GeneratorsFillTexturesOfTheirFormats) {
  DS_GlassBallLight light;
  light.topColor = 0x00000080u;
  light.bottomColor = 0x00FF0000u;
  ASSERT_EQ(light.CreateSphereBumpMap(), S_OK);
  ASSERT_EQ(light.CreateSphereMask(), S_OK);
  ASSERT_EQ(light.CreateGradientTexture(), S_OK);

  const D3DSURFACE_DESC bump = Describe(light.bumpMap.Get());
  EXPECT_EQ(bump.Format, D3DFMT_V16U16);
  EXPECT_EQ(bump.Width, 256u);
  EXPECT_EQ(bump.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(Read(light.bumpMap.Get(), 192, 128, 4), glass_ball::BumpTexel(192, 128));
  EXPECT_EQ(Read(light.bumpMap.Get(), 100, 50, 4), glass_ball::BumpTexel(100, 50));

  const D3DSURFACE_DESC mask = Describe(light.sphereMask.Get());
  EXPECT_EQ(mask.Format, D3DFMT_A8);
  EXPECT_EQ(mask.Width, 1024u);
  EXPECT_EQ(mask.Height, 1024u);
  EXPECT_EQ(Read(light.sphereMask.Get(), 1020, 512, 1), 0u);
  EXPECT_EQ(Read(light.sphereMask.Get(), 1021, 512, 1), 255u);
  EXPECT_EQ(Read(light.sphereMask.Get(), 0, 1023, 1), 255u);

  const D3DSURFACE_DESC gradient = Describe(light.gradient.Get());
  EXPECT_EQ(gradient.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(gradient.Width, 256u);
  // Only one level, so that no unwritten level can ever be sampled.
  EXPECT_EQ(light.gradient->GetLevelCount(), 1u);
  EXPECT_EQ(Read(light.gradient.Get(), 0, 0, 4), 0x00800000u);
  EXPECT_EQ(Read(light.gradient.Get(), 255, 255, 4), 0x000000FFu);
  EXPECT_EQ(Read(light.gradient.Get(), 17, 255, 4), 0x000000FFu);
}

TEST_F(GlassBallTexturesTest, GeneratorsFailWithoutATexture) {
  DS_GlassBallLight light;
  ASSERT_EQ(light.CreateSphereMask(), S_OK);
  machine::Current().faults.failResourceCreation = true;
  EXPECT_EQ(light.CreateSphereBumpMap(), E_FAIL);
  EXPECT_EQ(light.CreateSphereMask(), E_FAIL);
  EXPECT_EQ(light.CreateGradientTexture(), E_FAIL);
  EXPECT_FALSE(light.bumpMap);
  EXPECT_FALSE(light.sphereMask);  // the old mask is gone too
  EXPECT_FALSE(light.gradient);
}
