// Which pixels a triangle covers: Direct3D 9's pixel centres and top-left rule, culling, clipping.
#include <array>

#include "device_fixture.h"

namespace {

struct Vertex {
  float x, y, z;
  D3DCOLOR color;
};

// Additive blending shows a pixel drawn twice as twice as bright.
void AddOnce(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

struct TargetSize {
  UINT width, height;
};

class FullTargetQuad : public DeviceTest, public ::testing::WithParamInterface<TargetSize> {};

TEST_P(FullTargetQuad, CoversEveryPixelExactlyOnceWhicheverWayItIsDrawn) {
  Open(GetParam().width, GetParam().height);
  const float w = static_cast<float>(width_);
  const float h = static_cast<float>(height_);
  const D3DCOLOR c = 0xff202020;
  AddOnce(device_);

  // Pre-transformed: a strip (diagonal from top right) and a list split the other way.
  Clear(0);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenColorVertex>{{0, 0, 0, 1, c}, {w, 0, 0, 1, c}, {0, h, 0, 1, c}, {w, h, 0, 1, c}}),
            S_OK);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 2,
                 std::vector<ScreenColorVertex>{{0, 0, 0, 1, c}, {w, 0, 0, 1, c}, {w, h, 0, 1, c},
                                                {0, 0, 0, 1, c}, {w, h, 0, 1, c}, {0, h, 0, 1, c}}),
            S_OK);
  // Transformed with identity matrices: clip space -1..1 is the whole viewport.
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<Vertex>{{-1, 1, 0.5f, c}, {1, 1, 0.5f, c}, {-1, -1, 0.5f, c}, {1, -1, 0.5f, c}}),
            S_OK);
  // Reaching 500 pixels beyond every edge, as border quads do.
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenColorVertex>{{-500, -500, 0, 1, c},
                                                {w + 500, -500, 0, 1, c},
                                                {-500, h + 500, 0, 1, c},
                                                {w + 500, h + 500, 0, 1, c}}),
            S_OK);

  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (size_t i = 0; i < pixels.size(); ++i) {
    ASSERT_EQ(pixels[i] & 0xffffff, 0x808080u) << "pixel " << i % width_ << ", " << i / width_;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FullTargetQuad,
                         ::testing::Values(TargetSize{1, 1}, TargetSize{7, 5}, TargetSize{32, 32},
                                           TargetSize{333, 97}));

TEST_F(DeviceTest, NeighbouringTrianglesShareTheirDiagonalWithoutGapOrOverlap) {
  Open(40, 40);
  AddOnce(device_);
  Clear(0);
  // A fan of thin triangles around an off-grid centre: every edge but the outer ones is shared.
  std::vector<ScreenColorVertex> fan{{13.37f, 21.61f, 0, 1, 0xff404040}};
  const std::array<std::array<float, 2>, 9> rim{
      {{0, 0}, {17.3f, 0}, {40, 0}, {40, 23.9f}, {40, 40}, {11.1f, 40}, {0, 40}, {0, 9.45f}, {0, 0}}};
  for (const auto& p : rim) fan.push_back({p[0], p[1], 0, 1, 0xff404040});
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLEFAN, 8, fan), S_OK);
  for (uint32_t pixel : ReadBackBuffer()) ASSERT_EQ(pixel & 0xffffff, 0x404040u);
}

struct CullCase {
  DWORD mode;
  bool clockwise;
  bool drawn;
};

class Culling : public DeviceTest, public ::testing::WithParamInterface<CullCase> {};

TEST_P(Culling, RemovesTrianglesByTheirWindingOnScreen) {
  const CullCase& c = GetParam();
  device_->SetRenderState(D3DRS_CULLMODE, c.mode);
  Clear(0);
  // On screen (y down) top left -> top right -> bottom left runs clockwise.
  std::vector<ScreenColorVertex> triangle{{0, 0, 0, 1, 0xffffffff}, {32, 0, 0, 1, 0xffffffff},
                                          {0, 32, 0, 1, 0xffffffff}};
  if (!c.clockwise) std::swap(triangle[1], triangle[2]);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 1, triangle), S_OK);
  EXPECT_EQ(Pixel(4, 4) & 0xffffff, c.drawn ? 0xffffffu : 0u);

  // The same through the transform: world y up flips the winding on screen.
  Clear(0);
  std::vector<Vertex> world{{-1, 1, 0.5f, 0xffffffff}, {1, 1, 0.5f, 0xffffffff}, {-1, -1, 0.5f, 0xffffffff}};
  if (!c.clockwise) std::swap(world[1], world[2]);
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 1, world), S_OK);
  EXPECT_EQ(Pixel(4, 4) & 0xffffff, c.drawn ? 0xffffffu : 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, Culling,
                         ::testing::Values(CullCase{D3DCULL_NONE, true, true}, CullCase{D3DCULL_NONE, false, true},
                                           CullCase{D3DCULL_CW, true, false}, CullCase{D3DCULL_CW, false, true},
                                           CullCase{D3DCULL_CCW, true, true}, CullCase{D3DCULL_CCW, false, false}));

TEST_F(DeviceTest, EveryTriangleOfAStripKeepsTheWindingOfTheFirst) {
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  Clear(0);
  // A clockwise strip of four triangles across the target: all four stay.
  std::vector<ScreenColorVertex> strip;
  for (int i = 0; i <= 4; ++i) {
    const float x = 8.f * static_cast<float>(i);
    strip.push_back({x, 0, 0, 1, 0xffffffff});
    strip.push_back({x, 32, 0, 1, 0xffffffff});
  }
  // (0,0) (0,32) (8,0) runs counter-clockwise on screen, so start the strip with the lower row.
  for (size_t i = 0; i < strip.size(); i += 2) std::swap(strip[i], strip[i + 1]);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 8, strip), S_OK);
  for (uint32_t pixel : ReadBackBuffer()) ASSERT_EQ(pixel & 0xffffff, 0xffffffu);
}

TEST_F(DeviceTest, IndexedStripsWithDegenerateTurnsDrawOnlyTheirRows) {
  Clear(0);
  // Two rows of quads joined by repeated indices, as grids are drawn in one strip.
  std::vector<ScreenColorVertex> vertices;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      vertices.push_back({16.f * static_cast<float>(column), 10.f * static_cast<float>(row), 0, 1, 0xffffffff});
    }
  }
  const std::vector<uint16_t> indices{0, 3, 1, 4, 2, 5, 5, 3, 3, 6, 4, 7, 5, 8};
  ASSERT_EQ(DrawIndexed(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, static_cast<UINT>(indices.size() - 2),
                        vertices, indices),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (UINT y = 0; y < height_; ++y) {
    for (UINT x = 0; x < width_; ++x) {
      const bool inside = x < 32 && y < 20;
      ASSERT_EQ(pixels[y * width_ + x] & 0xffffff, inside ? 0xffffffu : 0u) << x << ", " << y;
    }
  }
}

// A perspective projection looking down +z, 90 degrees wide, near 0.1, far 100.
D3DMATRIX Perspective() {
  D3DMATRIX m{};
  const float zn = 0.1f;
  const float zf = 100.f;
  m._11 = 1.f;
  m._22 = 1.f;
  m._33 = zf / (zf - zn);
  m._34 = 1.f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

TEST_F(DeviceTest, AFloorReachingBehindTheEyeIsCutAtTheNearPlane) {
  Open(64, 64);
  const D3DMATRIX projection = Perspective();
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  Clear(0);
  // The floor y = -1 from behind the eye (z = -10) to z = 10.
  const D3DCOLOR red = 0xffff0000;
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<Vertex>{{-10, -1, 10, red}, {10, -1, 10, red}, {-10, -1, -10, red}, {10, -1, -10, red}}),
            S_OK);
  // Its far edge is at screen row 32 x (1 + 1/10) = 35.2; everything below is floor, above is empty.
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (UINT y = 0; y < height_; ++y) {
    for (UINT x = 0; x < width_; ++x) {
      const uint32_t pixel = pixels[y * width_ + x] & 0xffffff;
      ASSERT_EQ(pixel, y <= 35 ? 0u : 0xff0000u) << x << ", " << y;
    }
  }
}

TEST_F(DeviceTest, TrianglesBeyondTheFarPlaneOrBehindTheEyeAreNotDrawn) {
  const D3DMATRIX projection = Perspective();
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  Clear(0);
  for (float z : {-5.f, 200.f}) {
    ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                   std::vector<Vertex>{{-1, 1, z, 0xffffffff}, {1, 1, z, 0xffffffff}, {-1, -1, z, 0xffffffff},
                                       {1, -1, z, 0xffffffff}}),
              S_OK);
  }
  for (uint32_t pixel : ReadBackBuffer()) ASSERT_EQ(pixel & 0xffffff, 0u);
}

TEST_F(DeviceTest, TheViewportBoundsDrawingAndMapsClipSpaceOntoItself) {
  Clear(0);
  const D3DVIEWPORT9 viewport{8, 4, 16, 8, 0.f, 1.f};
  ASSERT_EQ(device_->SetViewport(&viewport), S_OK);
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<Vertex>{{-3, 3, 0.5f, 0xffffffff}, {3, 3, 0.5f, 0xffffffff}, {-3, -3, 0.5f, 0xffffffff},
                                     {3, -3, 0.5f, 0xffffffff}}),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (UINT y = 0; y < height_; ++y) {
    for (UINT x = 0; x < width_; ++x) {
      const bool inside = x >= 8 && x < 24 && y >= 4 && y < 12;
      ASSERT_EQ(pixels[y * width_ + x] & 0xffffff, inside ? 0xffffffu : 0u) << x << ", " << y;
    }
  }
}

TEST_F(DeviceTest, ADrawOfManyTrianglesEqualsDrawingThemOneByOne) {
  // Large blended triangles whose order matters everywhere: the rows rendered in parallel must keep
  // the order of the draw.
  Open(300, 200);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  uint32_t seed = 1;
  auto next = [&seed](uint32_t range) {
    seed = seed * 214013u + 2531011u;
    return (seed >> 16) % range;
  };
  std::vector<ScreenColorVertex> triangles;
  for (int i = 0; i < 3 * 300; ++i) {
    const D3DCOLOR color = 0x60000000u | next(0x1000000);
    triangles.push_back({static_cast<float>(next(500)) - 100.f, static_cast<float>(next(400)) - 100.f, 0, 1, color});
  }
  Clear(0xff000000);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 300, triangles), S_OK);
  const std::vector<uint32_t> together = ReadBackBuffer();
  Clear(0xff000000);
  for (size_t i = 0; i < triangles.size(); i += 3) {
    const std::vector<ScreenColorVertex> one(triangles.begin() + static_cast<std::ptrdiff_t>(i),
                                             triangles.begin() + static_cast<std::ptrdiff_t>(i + 3));
    ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 1, one), S_OK);
  }
  EXPECT_EQ(ReadBackBuffer(), together);
}

TEST_F(DeviceTest, AViewportReachingPastTheTargetIsRefused) {
  const D3DVIEWPORT9 wrapping{1, 0, 0xffffffffu, 8, 0.f, 1.f};  // 1 + Width wraps to 0 in 32 bits
  EXPECT_EQ(device_->SetViewport(&wrapping), D3DERR_INVALIDCALL);
  const D3DVIEWPORT9 wide{0, 0, width_ + 1, 8, 0.f, 1.f};
  EXPECT_EQ(device_->SetViewport(&wide), D3DERR_INVALIDCALL);
  D3DVIEWPORT9 viewport{};
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, width_);
}

TEST_F(DeviceTest, APointCoversOnePixelAndASpriteItsSizeWithTheWholeTexture) {
  Clear(0);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_POINTLIST, 1,
                 std::vector<ScreenColorVertex>{{5, 7, 0, 1, 0xffffffff}}),
            S_OK);
  std::vector<uint32_t> pixels = ReadBackBuffer();
  for (UINT i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i] & 0xffffff, i == 7 * width_ + 5 ? 0xffffffu : 0u);

  // A 4-pixel sprite over a 2 x 2 texture: one texel per quarter.
  Holder<IDirect3DTexture9> texture(MakeArgbTexture(2, 2, [](UINT x, UINT y) {
    return 0xff000000u | (x ? 0xff0000u : 0u) | (y ? 0x00ff00u : 0u);
  }));
  device_->SetTexture(0, texture.Get());
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  device_->SetRenderState(D3DRS_POINTSIZE, FloatBits(4.f));
  Clear(0);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_POINTLIST, 1,
                 std::vector<ScreenTexVertex>{{10, 10, 0, 1, 0xffffffff, 0.7f, 0.7f}}),
            S_OK);
  pixels = ReadBackBuffer();
  for (UINT y = 6; y < 14; ++y) {
    for (UINT x = 6; x < 14; ++x) {
      uint32_t expected = 0;
      if (x >= 8 && x < 12 && y >= 8 && y < 12) expected = (x >= 10 ? 0xff0000u : 0u) | (y >= 10 ? 0x00ff00u : 0u);
      ASSERT_EQ(pixels[y * width_ + x] & 0xffffff, expected) << x << ", " << y;
    }
  }
  device_->SetTexture(0, nullptr);
}

}  // namespace
