#include <gtest/gtest.h>

#include <cmath>

#include "layer_fixture.h"
#include "slideshow/glass_ball_light.h"

namespace {

struct Rect {
  float x0, x1, y0, y1;
};

// The rectangle a bar quad covers, read back from its buffer.
Rect BarRect(DS_SimpleMesh<DX_V::PWC>& bar) {
  Rect r{};
  DX_V::PWC* v = bar.LockVertices();
  if (!v) return r;
  r = {v[1].x, v[2].x, v[1].y, v[2].y};
  EXPECT_EQ(v[0].x, v[1].x);
  EXPECT_EQ(v[3].y, v[1].y);
  EXPECT_EQ(v[0].rhw, 1.0f);
  bar.UnlockVertices();
  return r;
}

// Left and right edges of a screen quad, read back from its buffer.
std::pair<float, float> QuadSpan(TexturedQuad<DX_V::PWCT>& quad) {
  std::pair<float, float> span{};
  DX_V::PWCT* v = quad.LockVertices();
  if (!v) return span;
  span = {v[1].x, v[3].x};
  EXPECT_EQ(v[0].y, v[2].y);
  EXPECT_EQ(v[1].y, 0.0f);
  EXPECT_EQ(v[2].u, 1.0f);
  EXPECT_EQ(v[0].v, 1.0f);
  quad.UnlockVertices();
  return span;
}

}  // namespace

class GlassBallLayoutTest : public LayerDeviceTest {
 protected:
  void SetUp() override {
    LayerDeviceTest::SetUp();
    SharedGlassBallScroll() = GlassBallScrollClock{};
  }

  // Device resources, a slide picture and a background picture of the given sizes, the layer sized
  // to the back buffer.
  void Start(DS_GlassBallLight& light, UINT bgWidth, UINT bgHeight, int backgroundSwitch, int mode) {
    light.backgroundPictureSwitch = backgroundSwitch;
    light.CreateDeviceResources();
    light.picture.SetFromInfo(640, 480, nullptr);
    light.backgroundPicture.SetFromInfo(bgWidth, bgHeight, nullptr);
    light.Resize(int(width_), int(height_));
    light.SetPicturePosition(mode);
  }
};

// Fit shows the background picture whole; the bars lie beside it. The ratios count one pixel more
// than the bar on each side, so they stay below 1 even where no bar shows.
TEST_F(GlassBallLayoutTest, FitPlacesBarsAndRatios) {
  struct Case {
    UINT width, height, bgWidth, bgHeight;
    Rect bars[4];
    float rx, ry;
  };
  const Case cases[] = {
      {1920, 1080, 640, 480,
       {{0, 241, 0, 1080}, {1680, 1921, 0, 1080}, {0, 1440, 0, 1}, {0, 1440, 1080, 1081}},
       1440.0f / 1922.0f, 1080.0f / 1082.0f},
      // Exactly the target's aspect: one-pixel bars along the left and top edges, the others outside.
      {800, 600, 800, 600, {{0, 1, 0, 600}, {800, 801, 0, 600}, {0, 800, 0, 1}, {0, 800, 600, 601}},
       800.0f / 802.0f, 600.0f / 602.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    CreateDevice(c.width, c.height);
    DS_GlassBallLight light;
    Start(light, c.bgWidth, c.bgHeight, 1, kFit);
    EXPECT_EQ(light.effectiveMode, kFit);
    for (int i = 0; i < 4; ++i) {
      const Rect r = BarRect(light.bars[i]);
      EXPECT_FLOAT_EQ(r.x0, c.bars[i].x0) << "bar " << i;
      EXPECT_FLOAT_EQ(r.x1, c.bars[i].x1) << "bar " << i;
      EXPECT_FLOAT_EQ(r.y0, c.bars[i].y0) << "bar " << i;
      EXPECT_FLOAT_EQ(r.y1, c.bars[i].y1) << "bar " << i;
    }
    EXPECT_FLOAT_EQ(light.rx, c.rx);
    EXPECT_FLOAT_EQ(light.ry, c.ry);
    EXPECT_FLOAT_EQ(light.sx, 1.0f);
    EXPECT_FLOAT_EQ(light.sy, 1.0f);
  }
}

// Without the background picture the gradient fills the target whatever the setting says, and the
// base layer's own mode never follows the setting.
TEST_F(GlassBallLayoutTest, PicturePositionFollowsOnlyABackgroundPicture) {
  for (int backgroundSwitch : {0, 1, 2}) {
    for (int mode : {kStretch, kFit, kFill}) {
      DS_GlassBallLight light;
      light.mode = kStretch;
      Start(light, 640, 480, backgroundSwitch, mode);
      EXPECT_EQ(light.effectiveMode, backgroundSwitch == 1 ? mode : kFill) << backgroundSwitch << " " << mode;
      EXPECT_EQ(light.mode, kStretch);
    }
  }
}

// Speed 1 gives a triangle wave of period 32 s: +1 at 0, 0 at 8, -1 at 16, 0 at 24, +1 at 32.
TEST_F(GlassBallLayoutTest, SwaySwingsBackAndForth) {
  struct Case {
    UINT speed;
    float times[6];
    float sway[6];
  };
  const Case cases[] = {
      {0, {0, 8, 16, 24, 32, 36}, {1, 0, -1, 0, 1, 0.5f}},
      {50, {0, 4, 8, 12, 16, 18}, {1, 0, -1, 0, 1, 0.5f}},  // derived speed 2: half the period
  };
  for (const Case& c : cases) {
    SharedGlassBallScroll() = GlassBallScrollClock{};
    DS_GlassBallLight light;
    light.scrollSpeed = c.speed;
    Start(light, 640, 480, 0, kFit);
    for (int i = 0; i < 6; ++i) {
      // The clock starts at the first frame move, whatever its time.
      light.AdvanceFrame(100.0f + c.times[i]);
      EXPECT_NEAR(light.sway, c.sway[i], 1e-4f) << "speed " << c.speed << " at " << c.times[i];
    }
  }
}

// The phase belongs to the process: a new layer goes on where the last one stopped; a layer that
// does not scroll leaves the clock alone.
TEST_F(GlassBallLayoutTest, ScrollPhaseIsSharedAndStillWithoutScrolling) {
  DS_GlassBallLight first, still, second;
  Start(first, 640, 480, 0, kFit);
  still.scrollMode = 0;
  Start(still, 640, 480, 0, kFit);
  first.AdvanceFrame(10.0f);
  first.AdvanceFrame(18.0f);  // phase 0.5
  still.sway = 0.7f;
  still.AdvanceFrame(500.0f);
  EXPECT_EQ(still.sway, 0.0f);
  EXPECT_FLOAT_EQ(SharedGlassBallScroll().phase, 0.5f);
  EXPECT_FLOAT_EQ(SharedGlassBallScroll().lastTime, 18.0f);
  Start(second, 640, 480, 0, kFit);
  second.AdvanceFrame(26.0f);  // phase 1: the middle of the swing
  EXPECT_NEAR(second.sway, -1.0f, 1e-5f);
}

// The two scroll quads always tile the target: the second ends where the first begins.
TEST_F(GlassBallLayoutTest, ScrollQuadsTileTheTarget) {
  struct Case {
    int mode;
    float phase;
    float firstLeft;  // in target widths
  };
  const Case cases[] = {{1, 0.0f, 0.0f}, {1, 2.0f, 0.0f}, {1, 0.5f, 0.75f}, {2, 0.5f, 0.25f},
                        {1, -3.0f, 0.5f}, {2, 7.0f, 0.5f}};
  const float W = float(width_), H = float(height_);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " phase " << c.phase);
    DS_GlassBallLight light;
    light.scrollMode = c.mode;
    Start(light, 640, 480, 0, kFit);
    SharedGlassBallScroll() = GlassBallScrollClock{c.phase, 5.0f, true};
    light.AdvanceFrame(5.0f);
    EXPECT_EQ(light.sway, 0.0f);
    const auto first = QuadSpan(light.scrollQuads[0]);
    const auto second = QuadSpan(light.scrollQuads[1]);
    EXPECT_FLOAT_EQ(first.first, c.firstLeft * W);
    EXPECT_FLOAT_EQ(first.second, first.first + W);
    EXPECT_FLOAT_EQ(second.second, first.first);
    EXPECT_FLOAT_EQ(second.first, first.first - W);
    DX_V::PWCT* v = light.scrollQuads[0].LockVertices();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v[0].y, H);
    EXPECT_EQ(v[0].rhw, 1.0f);
    light.scrollQuads[0].UnlockVertices();
  }
}

// At rest on 1024 x 768 with 4:3 pictures the sphere stands in the middle: the camera 600 / ry
// before it, and the texture matrix maps the quad's centre to the slide's centre. Sway and position
// move the slide behind the glass (wrapping into 0.5 to 1.5).
TEST_F(GlassBallLayoutTest, SphereTransformsForTheDefaults) {
  const float ry = 768.0f / 770.0f;
  struct Case {
    int scroll;
    LONG x;
    float worldX, u41;
  };
  const Case cases[] = {
      {0, 0, 0.0f, 0.5f},
      {3, 0, 0.0f, 0.625f},  // sway +1 at the clock's start: 0.125 of the slide
      {0, 100, 100.0f / ry, 1.5f - 1.5f * (100.0f / ry) / 1024.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scroll " << c.scroll << " x " << c.x);
    SharedGlassBallScroll() = GlassBallScrollClock{};
    DS_GlassBallLight light;
    light.scrollMode = c.scroll;
    light.spherePosition = POINT{c.x, 0};
    Start(light, 640, 480, 0, kFit);
    light.AdvanceFrame(3.0f);
    EXPECT_NEAR(light.ry, ry, 1e-6f);
    EXPECT_NEAR(light.cameraDistance, -600.0f / ry, 1e-3f);
    EXPECT_NEAR(light.sphereScale, (ry * 1.105f + 0.385f) * 1.05f, 1e-5f);
    light.SetSphereTransforms(true);
    const D3DMATRIX& m = light.textureMatrix;
    // 0.5 cot(pi/8) / aspect over the projection's z row (_33 = zf / (zf - zn), _34 = 1) at the
    // sphere's scaled distance.
    const float q = 3000.0f / 2999.0f * (600.0f / ry * light.sphereScale) + 1.0f;
    EXPECT_NEAR(m._11, 0.5f * 2.4142136f / (4.0f / 3.0f) / q, 1e-7f);
    EXPECT_NEAR(m._22, -0.5f * 2.4142136f / q, 1e-7f);
    EXPECT_NEAR(m._41, c.u41, 1e-4f);
    EXPECT_NEAR(m._42, 0.5f, 1e-6f);
    EXPECT_EQ(m._12, 0.0f);
    EXPECT_EQ(m._21, 0.0f);
    D3DMATRIX world{}, view{}, texture{};
    device_->GetTransform(D3DTS_WORLD, &world);
    device_->GetTransform(D3DTS_VIEW, &view);
    device_->GetTransform(D3DTS_TEXTURE1, &texture);
    EXPECT_NEAR(world._41, c.worldX, 1e-3f);
    EXPECT_NEAR(view._43, 600.0f / ry, 1e-3f);
    EXPECT_EQ(texture._41, m._41);
    DWORD index = 0, flags = 0;
    device_->GetTextureStageState(1, D3DTSS_TEXCOORDINDEX, &index);
    device_->GetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
    EXPECT_EQ(index, DWORD(D3DTSS_TCI_CAMERASPACEPOSITION | 1));
    EXPECT_EQ(flags, DWORD(D3DTTFF_COUNT2));
  }
}

// A portrait slide picture has no whole-number aspect: the scroll offset must stay finite.
TEST_F(GlassBallLayoutTest, PortraitSlideKeepsTheTextureMatrixFinite) {
  DS_GlassBallLight light;
  light.spherePosition = POINT{60, -40};
  Start(light, 640, 480, 1, kFit);
  for (UINT height : {960u, 0u}) {
    light.picture.SetFromInfo(480, height, nullptr);
    light.AdvanceFrame(1.0f);
    light.SetSphereTransforms(true);
    EXPECT_TRUE(std::isfinite(light.textureMatrix._41)) << height;
    EXPECT_TRUE(std::isfinite(light.textureMatrix._42)) << height;
    EXPECT_TRUE(std::isfinite(light.textureMatrix._11)) << height;
  }
}

// An object's target changes the layer's size and mode only until it ends.
TEST_F(GlassBallLayoutTest, TargetsRestoreTheLayersSizeAndMode) {
  DS_GlassBallLight light;
  Start(light, 640, 480, 1, kFit);
  const Rect before = BarRect(light.bars[1]);
  RenderTargetPair pair;
  pair.Create(256, 128);
  light.BeginTarget(pair, kFill);
  EXPECT_TRUE(light.insideTarget);
  EXPECT_EQ(light.effectiveMode, kFill);
  EXPECT_EQ(light.targetWidth, 256);
  light.EndTarget();
  EXPECT_FALSE(light.insideTarget);
  EXPECT_EQ(light.effectiveMode, kFit);
  EXPECT_EQ(light.targetWidth, int(width_));
  EXPECT_EQ(light.targetHeight, int(height_));
  light.AdvanceFrame(2.0f);
  const Rect after = BarRect(light.bars[1]);
  EXPECT_EQ(after.x0, before.x0);
  EXPECT_EQ(after.y1, before.y1);
  // An end without a start changes nothing.
  light.EndTarget();
  EXPECT_EQ(light.targetWidth, int(width_));
  EXPECT_EQ(light.effectiveMode, kFit);
}
