#include "render/quad_corners.h"

#include <gtest/gtest.h>

#include "device_fixture.h"

TEST(QuadCorners, DefaultsAreTheStandardStrip) {
  const QuadCorners quad;
  const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(quad.corners[i].z, 1.0f);
    EXPECT_EQ(quad.corners[i].u, uv[i][0]);
    EXPECT_EQ(quad.corners[i].v, uv[i][1]);
  }
}

TEST(QuadCorners, FitAspectCentresThePicture) {
  struct Case {
    UINT pictureWidth, pictureHeight;
    float x0, y0, x1, y1;
  };
  const Case cases[] = {
      {1000, 500, 0, 100, 800, 500},  // wider than the target: full width, centred vertically
      {500, 1000, 250, 0, 550, 600},  // taller: full height, centred horizontally
      {400, 300, 0, 0, 800, 600},     // same aspect: the whole target
  };
  for (const Case& c : cases) {
    TextureEntry picture;
    picture.SetFromInfo(c.pictureWidth, c.pictureHeight, nullptr);
    QuadCorners quad;
    quad.FitAspect(picture, 800.0f, 600.0f);
    EXPECT_FLOAT_EQ(quad.corners[0].x, c.x0);
    EXPECT_FLOAT_EQ(quad.corners[0].y, c.y1);
    EXPECT_FLOAT_EQ(quad.corners[1].x, c.x0);
    EXPECT_FLOAT_EQ(quad.corners[1].y, c.y0);
    EXPECT_FLOAT_EQ(quad.corners[2].x, c.x1);
    EXPECT_FLOAT_EQ(quad.corners[2].y, c.y1);
    EXPECT_FLOAT_EQ(quad.corners[3].x, c.x1);
    EXPECT_FLOAT_EQ(quad.corners[3].y, c.y0);
  }
}

using QuadCornersDeviceTest = RenderDeviceTest;

TEST_F(QuadCornersDeviceTest, BackBufferCornersAndRescale) {
  CreateDevice(1280, 1024);
  QuadCorners quad;
  quad.FullBackBuffer();
  EXPECT_EQ(quad.corners[0].y, 1024.0f);
  EXPECT_EQ(quad.corners[3].x, 1280.0f);
  EXPECT_EQ(quad.corners[3].y, 0.0f);
  quad.RescaleToBackBuffer(640.0f, 512.0f);
  EXPECT_EQ(quad.corners[3].x, 2560.0f);
  EXPECT_EQ(quad.corners[0].y, 2048.0f);
}

TEST(GetBackBufferDesc, ZeroWithoutADevice) {
  g_Device = nullptr;
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  EXPECT_EQ(desc.Width, 0u);
  EXPECT_EQ(desc.Height, 0u);
}
