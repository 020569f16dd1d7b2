#include <gtest/gtest.h>

#include "layer_fixture.h"
#include "slideshow/view_2d.h"

namespace {

TextureEntry PictureOfSize(UINT width, UINT height) {
  TextureEntry picture;
  picture.SetFromInfo(width, height, nullptr);
  return picture;
}

// Where a picture point lands on a target of width x height, through world, view and projection.
D3DXVECTOR3 OnTarget(const D3DXMATRIX& worldViewProjection, float x, float y, int width, int height) {
  const D3DXVECTOR3 point(x, y, 0.0f);
  D3DXVECTOR3 clip;
  D3DXVec3TransformCoord(&clip, &point, &worldViewProjection);
  return D3DXVECTOR3((clip.x + 1.0f) * 0.5f * float(width), (1.0f - clip.y) * 0.5f * float(height), clip.z);
}

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

}  // namespace

class View2DTest : public LayerDeviceTest {};

// The fit, the picture-position scaling and where the picture's corners land, for each mode.
TEST_F(View2DTest, FitsThePictureAndScalesItByMode) {
  CreateDevice(1280, 1024);
  struct Case {
    UINT W, H;
    int w, h, mode;
    bool targetSpace;
    float r, ratioX, ratioY, sx, sy;
    float x0, y0, x1, y1;  // target pixels of the picture's (0, 0) and (W, H)
  };
  const float k = 1024.0f / 960.0f;
  const float fillCut = 640.0f * k - 640.0f;
  const Case cases[] = {
      // 1024 x 768 on 1280 x 1024: full width, 32-pixel bars at the top and bottom.
      {1024, 768, 1280, 1024, kFit, false, 0.8f, 1.0f, k, 1.0f, 1.0f, 0, 32, 1280, 992},
      {1024, 768, 1280, 1024, kStretch, false, 0.8f, 1.0f, k, 1.0f, k, 0, 0, 1280, 1024},
      {1024, 768, 1280, 1024, kFill, false, 0.8f, 1.0f, k, k, k, -fillCut, 0, 1280 + fillCut, 1024},
      {1024, 768, 1280, 1024, kLayerTarget, false, 0.8f, 1.0f, k, 1.0f, k, 0, 0, 1280, 1024},
      // The target's own aspect: no bars and no scaling in any mode.
      {640, 512, 1280, 1024, kFit, false, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 0, 0, 1280, 1024},
      {640, 512, 1280, 1024, kStretch, false, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 0, 0, 1280, 1024},
      {640, 512, 1280, 1024, kFill, false, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 0, 0, 1280, 1024},
      // A portrait picture: full height, bars left and right; Fill cuts the top and bottom.
      {512, 1024, 1280, 1024, kFit, false, 1.0f, 2.5f, 1.0f, 1.0f, 1.0f, 384, 0, 896, 1024},
      {512, 1024, 1280, 1024, kStretch, false, 1.0f, 2.5f, 1.0f, 2.5f, 1.0f, 0, 0, 1280, 1024},
      {512, 1024, 1280, 1024, kFill, false, 1.0f, 2.5f, 1.0f, 2.5f, 2.5f, 0, -768, 1280, 1792},
      // An offscreen target of its own size.
      {1024, 768, 512, 512, kFit, true, 2.0f, 1.0f, 4.0f / 3.0f, 1.0f, 1.0f, 0, 64, 512, 448},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " on " << c.w << "x" << c.h << " mode " << c.mode);
    g_View2D.Apply(PictureOfSize(c.W, c.H), c.w, c.h, c.mode, c.targetSpace);
    EXPECT_FLOAT_EQ(g_View2D.picturePixelsPerTargetPixel, c.r);
    EXPECT_FLOAT_EQ(g_View2D.ratioX, c.ratioX);
    EXPECT_FLOAT_EQ(g_View2D.ratioY, c.ratioY);
    EXPECT_FLOAT_EQ(1.0f / g_View2D.inverseScaleX, c.sx);
    EXPECT_FLOAT_EQ(1.0f / g_View2D.inverseScaleY, c.sy);
    D3DXMATRIX wvp;
    g_View2D.GetWorldViewProjection(&wvp, Identity());
    const D3DXVECTOR3 first = OnTarget(wvp, 0, 0, c.w, c.h);
    const D3DXVECTOR3 last = OnTarget(wvp, float(c.W), float(c.H), c.w, c.h);
    EXPECT_NEAR(first.x, c.x0, 1e-3);
    EXPECT_NEAR(first.y, c.y0, 1e-3);
    EXPECT_NEAR(last.x, c.x1, 1e-3);
    EXPECT_NEAR(last.y, c.y1, 1e-3);
  }
}

// The camera scales about a point that runs across the picture with the pan: its left (top) edge at
// -1, its centre at 0, its right (bottom) edge at +1.
TEST_F(View2DTest, CameraZoomsAboutThePannedFixedPoint) {
  g_View2D.Apply(PictureOfSize(1000, 500), 1000, 500, kFit, true);
  struct Case {
    float pan, fixedX, fixedY;
  };
  const Case cases[] = {{-1.0f, 0, 0}, {0.0f, 500, 250}, {1.0f, 1000, 500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pan);
    g_View2D.SetCamera(1.25f, c.pan, c.pan);
    D3DXVECTOR3 moved;
    const D3DXVECTOR3 fixed(c.fixedX, c.fixedY, 0), other(c.fixedX + 100, c.fixedY - 40, 0);
    D3DXVec3TransformCoord(&moved, &fixed, &g_View2D.camera);
    EXPECT_NEAR(moved.x, c.fixedX, 1e-3);
    EXPECT_NEAR(moved.y, c.fixedY, 1e-3);
    D3DXVec3TransformCoord(&moved, &other, &g_View2D.camera);
    EXPECT_NEAR(moved.x, c.fixedX + 125, 1e-3);
    EXPECT_NEAR(moved.y, c.fixedY - 50, 1e-3);
  }
  // A zoom of 0 has no fixed point: the camera is then neutral rather than infinite.
  g_View2D.SetCamera(0.0f, 0.5f, 0.5f);
  EXPECT_EQ(g_View2D.camera, Identity());
}

// The camera acts on the world only outside a layer target; the view-projection carries the
// picture-position scaling only inside one.
TEST_F(View2DTest, LayerTargetModeLeavesOutTheCameraAndKeepsThePicturePosition) {
  CreateDevice(1280, 1024);
  const TextureEntry picture = PictureOfSize(1024, 768);
  for (int mode : {kStretch, kLayerTarget}) {
    SCOPED_TRACE(mode);
    g_View2D.Apply(picture, 1280, 1024, mode, false);
    D3DXMATRIX viewProjection;
    g_View2D.GetViewProjection(&viewProjection);
    EXPECT_NEAR(OnTarget(viewProjection, 0, 0, 1280, 1024).y, mode == kLayerTarget ? 0.0f : 32.0f, 1e-3);

    // A camera at pan +1 with zoom 2 keeps (W, H) fixed and moves (0, 0) to (-W, -H) in picture pixels.
    g_View2D.SetCamera(2.0f, 1.0f, 1.0f);
    D3DXMATRIX wvp;
    g_View2D.GetWorldViewProjection(&wvp, Identity());
    EXPECT_NEAR(OnTarget(wvp, 0, 0, 1280, 1024).x, mode == kLayerTarget ? 0.0f : -1280.0f, 1e-3);
    g_View2D.SetWorld(Identity());
    D3DMATRIX world{};
    device_->GetTransform(D3DTS_WORLD, &world);
    EXPECT_FLOAT_EQ(world._11, mode == kLayerTarget ? 1.25f : 2.5f);
  }
}

// The border quads cover 500 picture pixels beyond each edge, in picture pixels.
TEST_F(View2DTest, BorderQuadsFrameThePicture) {
  BorderQuads borders;
  g_View2D.UseBorders(&borders);
  g_View2D.SetBorderTextures(DS_ImageFileLink{});
  g_View2D.Apply(PictureOfSize(800, 600), 1024, 768, kFit, false);
  struct Rect {
    float x0, x1, y0, y1;
  };
  const Rect expected[4] = {{-500, 0, 0, 600}, {800, 1300, 0, 600}, {-500, 1300, -500, 0}, {-500, 1300, 600, 1100}};
  const float u[4] = {1, 0, 1, 0}, v[4] = {1, 1, 0, 0};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    DX_V::PT* vertex = borders[i].LockVertices();
    ASSERT_NE(vertex, nullptr);
    const Rect& e = expected[i];
    const float corners[4][2] = {{e.x0, e.y1}, {e.x0, e.y0}, {e.x1, e.y1}, {e.x1, e.y0}};
    for (int j = 0; j < 4; ++j) {
      EXPECT_EQ(vertex[j].x, corners[j][0]);
      EXPECT_EQ(vertex[j].y, corners[j][1]);
      EXPECT_EQ(vertex[j].z, 0.0f);
      EXPECT_EQ(vertex[j].u, u[j]);
      EXPECT_EQ(vertex[j].v, v[j]);
    }
    borders[i].UnlockVertices();
  }
}
