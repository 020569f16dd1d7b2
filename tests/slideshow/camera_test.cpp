#include <gtest/gtest.h>

#include <cmath>

#include "render/random.h"
#include "slideshow/camera.h"
#include "slideshow/view_2d.h"

namespace {

// On a 1000 x 500 picture the camera matrix is Scaling(z) with the translation
// ((x + 1)(1 - z) 500, (y + 1)(1 - z) 250): zoom and pan can be read back from it.
class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_View2D = InitView2D();
    TextureEntry picture;
    picture.SetFromInfo(1000, 500, nullptr);
    g_View2D.Apply(picture, 1000, 500, kFit, true);
  }
  void TearDown() override { SRand(1); }

  static float Zoom() { return g_View2D.camera._11; }
  static float PanX() { return g_View2D.camera._41 / ((1.0f - Zoom()) * 500.0f) - 1.0f; }
  static float PanY() { return g_View2D.camera._42 / ((1.0f - Zoom()) * 250.0f) - 1.0f; }

  DSM_Camera camera;
};

bool IsIdentity(const D3DXMATRIX& m) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  return m == identity;
}

}  // namespace

TEST_F(CameraTest, StoppedOrDisabledCameraIsNeutral) {
  struct Case {
    int enabled, mode;
  };
  for (const Case c : {Case{0, 0}, Case{0, 1}, Case{1, 0}}) {
    SCOPED_TRACE(testing::Message() << "enabled " << c.enabled << " mode " << c.mode);
    camera.enabled = c.enabled;
    camera.mode = c.mode;
    for (float t : {0.0f, 0.1f, 3.0f}) {
      g_View2D.SetCamera(2.0f, 1.0f, 1.0f);
      camera.AdvanceFrame(t);
      EXPECT_TRUE(IsIdentity(g_View2D.camera)) << t;
    }
  }
}

// Seed 5 draws 54 (even: a pause of 0.5), then 28693 (odd: a move), 12255, 24449 and 27660: to pan
// (-1, 0) in 6 clock seconds.
TEST_F(CameraTest, WalksPausesAndMovesWithTheSharedGenerator) {
  SRand(5);
  camera.enabled = 1;
  camera.mode = 1;
  struct Frame {
    float t;
    float clock, startTime, endTime, panX, panY;
  };
  const double easeAt07 = (1.0 - std::cos(0.2 * 3.14159265358979 / 6.0)) / 2.0;
  const Frame frames[] = {
      {0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f},      // a new segment at once: a pause at the centre
      {0.125f, 0.125f, 0.0f, 0.5f, 0.0f, 0.0f},
      {0.375f, 0.325f, 0.0f, 0.5f, 0.0f, 0.0f},  // a step of 0.25 advances the clock by only 0.2
      {0.55f, 0.5f, 0.5f, 6.5f, 0.0f, 0.0f},     // the clock reaches the end exactly: the move starts
      {9.0f, 0.7f, 0.5f, 6.5f, float(-easeAt07), 0.0f},
  };
  for (const Frame& f : frames) {
    SCOPED_TRACE(f.t);
    camera.AdvanceFrame(f.t);
    EXPECT_FLOAT_EQ(camera.speed.accumulated, f.clock);
    EXPECT_FLOAT_EQ(camera.startTime, f.startTime);
    EXPECT_FLOAT_EQ(camera.endTime, f.endTime);
    EXPECT_FLOAT_EQ(Zoom(), 1.2f);
    EXPECT_NEAR(PanX(), f.panX, 1e-5);
    EXPECT_NEAR(PanY(), f.panY, 1e-5);
  }
  EXPECT_EQ(camera.endPanX, -1.0f);
  EXPECT_EQ(camera.endPanY, 0.0f);
}

TEST_F(CameraTest, SpeedZeroStandsStillAtTheFirstSegmentsStart) {
  SRand(1);  // 41 (odd), 18467, 6334, 26500: a move to (0, -1) over 6 seconds
  camera.enabled = 1;
  camera.mode = 1;
  camera.speed.SetAndNotify(0);
  for (float t : {0.0f, 0.1f, 0.2f, 5.0f}) {
    camera.AdvanceFrame(t);
    EXPECT_EQ(camera.speed.accumulated, 0.0f);
    EXPECT_NEAR(PanX(), 0.0f, 1e-5);
    EXPECT_NEAR(PanY(), 0.0f, 1e-5);
  }
  EXPECT_EQ(camera.endTime, 6.0f);
  EXPECT_EQ(camera.endPanY, -1.0f);
}

// At five times the default speed every frame's clock step (1.0) is longer than a pause.
TEST_F(CameraTest, FastCameraNeverRunsPastItsSegment) {
  SRand(3);
  camera.enabled = 1;
  camera.mode = 1;
  camera.speed.SetAndNotify(250);
  for (int frame = 0; frame < 40; ++frame) {
    camera.AdvanceFrame(0.2f * float(frame));
    const float clock = camera.speed.accumulated;
    EXPECT_GT(camera.endTime, clock) << frame;
    EXPECT_GE(clock, camera.startTime) << frame;
    const float lowX = std::fmin(camera.startPanX, camera.endPanX), highX = std::fmax(camera.startPanX, camera.endPanX);
    EXPECT_GE(PanX(), lowX - 1e-5f) << frame;
    EXPECT_LE(PanX(), highX + 1e-5f) << frame;
  }
}
