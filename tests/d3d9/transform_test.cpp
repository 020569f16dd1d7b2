// The vertex side: perspective-correct attributes, depth, lighting, generated texture coordinates.
#include <cmath>

#include "device_fixture.h"

namespace {

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

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.f;
  return m;
}

struct TexVertex {
  float x, y, z;
  float u, v;
};

TEST_F(DeviceTest, TextureCoordinatesFollowThePerspectiveNotTheScreen) {
  Open(64, 64);
  const D3DMATRIX projection = Perspective();
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  // Floor y = -1 from z = 1 to 3; v = 0.5 is at z = 2, screen row 32 x (1 + 1/2) = 48, where an
  // affine interpolation would put it halfway between rows 64 and 42.7.
  Holder<IDirect3DTexture9> texture(
      MakeArgbTexture(1, 2, [](UINT, UINT y) { return y ? 0xffffffffu : 0xff000000u; }));
  device_->SetTexture(0, texture.Get());
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<TexVertex>{{-4, -1, 3, 0, 0}, {4, -1, 3, 1, 0}, {-4, -1, 1, 0, 1}, {4, -1, 1, 1, 1}}),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  EXPECT_EQ(pixels[47 * 64 + 32] & 0xffffff, 0u);
  EXPECT_EQ(pixels[49 * 64 + 32] & 0xffffff, 0xffffffu);
  device_->SetTexture(0, nullptr);
}

struct ColorVertex {
  float x, y, z;
  D3DCOLOR color;
};

TEST_F(DeviceTest, TheDepthTestKeepsTheNearerSurfaceWhicheverIsDrawnFirst) {
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  for (bool nearFirst : {true, false}) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.f, 0), S_OK);
    auto quad = [&](float z, D3DCOLOR c) {
      return Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                  std::vector<ColorVertex>{{-1, 1, z, c}, {1, 1, z, c}, {-1, -1, z, c}, {1, -1, z, c}});
    };
    if (nearFirst) {
      ASSERT_EQ(quad(0.25f, 0xff00ff00), S_OK);
      ASSERT_EQ(quad(0.75f, 0xffff0000), S_OK);
    } else {
      ASSERT_EQ(quad(0.75f, 0xffff0000), S_OK);
      ASSERT_EQ(quad(0.25f, 0xff00ff00), S_OK);
    }
    EXPECT_EQ(Pixel(16, 16) & 0xffffff, 0x00ff00u) << (nearFirst ? "near first" : "far first");
  }
  // Without writes the later, farther quad is still tested against the cleared depth only.
  device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.f, 0), S_OK);
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ColorVertex>{{-1, 1, 0.25f, 0xff00ff00}, {1, 1, 0.25f, 0xff00ff00},
                                          {-1, -1, 0.25f, 0xff00ff00}, {1, -1, 0.25f, 0xff00ff00}}),
            S_OK);
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ColorVertex>{{-1, 1, 0.75f, 0xffff0000}, {1, 1, 0.75f, 0xffff0000},
                                          {-1, -1, 0.75f, 0xffff0000}, {1, -1, 0.75f, 0xffff0000}}),
            S_OK);
  EXPECT_EQ(Pixel(16, 16) & 0xffffff, 0xff0000u);
}

struct NormalVertex {
  float x, y, z;
  float nx, ny, nz;
};

// A plane at z = 5 facing the eye, in n x n quads, lit by a white directional light.
class SpecularScene : public DeviceTest {
 protected:
  void SetUp() override {
    Open(64, 64);
    const D3DMATRIX projection = Perspective();
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    D3DMATERIAL9 material{};
    material.Diffuse.a = 1.f;
    material.Specular = {1.f, 1.f, 1.f, 1.f};
    material.Power = 40.f;
    device_->SetMaterial(&material);
    // Stage 0 selects the (black) diffuse colour: what shows is the specular sum after the stages.
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  }

  void Light(D3DVECTOR direction) {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.f, 1.f, 1.f, 1.f};
    light.Specular = {1.f, 1.f, 1.f, 0.f};
    light.Direction = direction;  // not of unit length: the device normalises it
    ASSERT_EQ(device_->SetLight(0, &light), S_OK);
    ASSERT_EQ(device_->LightEnable(0, TRUE), S_OK);
  }

  void DrawPlane() {
    constexpr int n = 32;
    std::vector<NormalVertex> vertices;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        auto at = [&](int a, int b) {
          return NormalVertex{-5.f + 10.f * a / n, 5.f - 10.f * b / n, 5.f, 0.f, 0.f, -1.f};
        };
        vertices.push_back(at(j, i));
        vertices.push_back(at(j + 1, i));
        vertices.push_back(at(j, i + 1));
        vertices.push_back(at(j + 1, i));
        vertices.push_back(at(j + 1, i + 1));
        vertices.push_back(at(j, i + 1));
      }
    }
    ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_NORMAL, D3DPT_TRIANGLELIST, n * n * 2, vertices), S_OK);
  }

  // The brightest pixel.
  void Brightest(int* x, int* y, int* value) {
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    *value = -1;
    for (int i = 0; i < static_cast<int>(pixels.size()); ++i) {
      if (Red(pixels[i]) > *value) {
        *value = Red(pixels[i]);
        *x = i % 64;
        *y = i / 64;
      }
    }
  }
};

TEST_F(SpecularScene, TheHighlightSitsWhereTheHalfVectorMeetsTheNormal) {
  // Light along (0.5, 0, 1): the half vector meets the normal (0, 0, -1) where the eye looks along
  // (-0.5, 0, 1), on screen x = 32 x (1 - 0.5) = 16, halfway down.
  Light({0.5f, 0.f, 1.f});
  Clear(0);
  DrawPlane();
  int x = 0;
  int y = 0;
  int value = 0;
  Brightest(&x, &y, &value);
  EXPECT_GT(value, 200);
  EXPECT_NEAR(x, 16, 2);
  EXPECT_NEAR(y, 32, 2);
  EXPECT_LT(Red(Pixel(48, 32)), 16) << "the far side stays dark";
  EXPECT_EQ(Red(Pixel(x, y)), Blue(Pixel(x, y))) << "white light, white specular";

  // The light turned the other way moves the highlight across.
  Light({-0.5f, 0.f, 1.f});
  Clear(0);
  DrawPlane();
  Brightest(&x, &y, &value);
  EXPECT_NEAR(x, 48, 2);
}

TEST_F(SpecularScene, NoHighlightWithoutSpecularOrWithTheLightBehindTheSurface) {
  Light({0.f, 0.f, 1.f});
  device_->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  Clear(0);
  DrawPlane();
  int x = 0;
  int y = 0;
  int value = 0;
  Brightest(&x, &y, &value);
  EXPECT_EQ(value, 0);

  device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  Light({0.f, 0.f, -1.f});  // shining at the plane's back
  Clear(0);
  DrawPlane();
  Brightest(&x, &y, &value);
  EXPECT_EQ(value, 0);
}

TEST_F(SpecularScene, DiffuseLightFollowsTheAngleAndAmbientAddsTheMaterialsAmbient) {
  device_->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  D3DMATERIAL9 material{};
  material.Diffuse = {1.f, 1.f, 1.f, 1.f};
  material.Ambient = {0.f, 0.f, 1.f, 1.f};
  device_->SetMaterial(&material);
  device_->SetRenderState(D3DRS_AMBIENT, 0xff404040);
  Light({0.f, std::sqrt(3.f), 1.f});  // 60 degrees off the normal: N.L = 0.5
  Clear(0);
  DrawPlane();
  const uint32_t pixel = Pixel(32, 32);
  EXPECT_NEAR(Red(pixel), 128, 2);
  EXPECT_NEAR(Green(pixel), 128, 2);
  EXPECT_NEAR(Blue(pixel), 128 + 64, 2);
}

TEST_F(DeviceTest, LightingLeavesPreTransformedVerticesAlone) {
  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenColorVertex>{{0, 0, 0, 1, 0xff123456}, {32, 0, 0, 1, 0xff123456},
                                                {0, 32, 0, 1, 0xff123456}, {32, 32, 0, 1, 0xff123456}}),
            S_OK);
  EXPECT_EQ(Pixel(5, 5) & 0xffffff, 0x123456u);
}

struct TwoSetVertex {
  float x, y, z;
  float u0, v0, u1, v1;
};

// Texel (x, y) of an 8 x 8 coordinate texture: red 32 x column, green 32 x row.
uint32_t CoordinateTexel(UINT x, UINT y) { return 0xff000000u | (x * 32u) << 16 | (y * 32u) << 8; }

TEST_F(DeviceTest, CameraSpacePositionsThroughTheTextureMatrixGiveStageCoordinates) {
  Open(8, 8);
  // An orthographic camera over x, y in 0..8 (y down the screen), z into it; the eye is moved by
  // the view so that camera space differs from world space.
  D3DMATRIX projection{};
  projection._11 = 2.f / 8.f;
  projection._22 = -2.f / 8.f;
  projection._33 = 1.f / 10.f;
  projection._41 = -1.f;
  projection._42 = 1.f;
  projection._44 = 1.f;
  D3DMATRIX view = Identity();
  view._41 = 4.f;  // the world moves 4 to the right in camera space
  const D3DMATRIX world = Identity();
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  device_->SetTransform(D3DTS_VIEW, &view);
  device_->SetTransform(D3DTS_WORLD, &world);
  // Camera-space x to u = (x - 3.5) / 8 and y to v = (y + 0.5) / 8, so that pixel (x, y) meets a
  // texel centre: a texture matrix with its translation in the fourth row, as for a generated
  // (x, y, z, 1).
  D3DMATRIX texture{};
  texture._11 = 1.f / 8.f;
  texture._22 = 1.f / 8.f;
  texture._41 = -3.5f / 8.f;
  texture._42 = 0.5f / 8.f;
  texture._44 = 1.f;
  device_->SetTransform(D3DTS_TEXTURE1, &texture);
  Holder<IDirect3DTexture9> picture(MakeArgbTexture(8, 8, CoordinateTexel));
  device_->SetTexture(1, picture.Get());
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
  device_->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  // The quad sits at world x -4 .. 4 (camera 0 .. 8); its own coordinates (set 1) would read texel 0.
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_TEX2, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<TwoSetVertex>{{-4, 0, 1, 0, 0, 0, 0},
                                           {4, 0, 1, 0, 0, 0, 0},
                                           {-4, 8, 1, 0, 0, 0, 0},
                                           {4, 8, 1, 0, 0, 0, 0}}),
            S_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      // Pixel x samples camera x = x, so u wraps to texel (x + 4) % 8.
      const uint32_t pixel = pixels[static_cast<size_t>(y) * 8 + x];
      ASSERT_EQ(Red(pixel) / 32, (x + 4) % 8) << x << ", " << y;
      ASSERT_EQ(Green(pixel) / 32, y) << x << ", " << y;
    }
  }
  device_->SetTexture(1, nullptr);
}

TEST_F(DeviceTest, ATwoElementSetTakesTheTextureMatrixTranslationFromItsThirdRow) {
  Open(8, 1);
  Holder<IDirect3DTexture9> picture(MakeArgbTexture(8, 8, CoordinateTexel));
  device_->SetTexture(0, picture.Get());
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  D3DMATRIX texture = Identity();
  texture._31 = 0.25f;  // u + 2 texels
  texture._41 = 0.5f;   // the fourth row multiplies the set's missing fourth element, 0
  device_->SetTransform(D3DTS_TEXTURE0, &texture);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<ScreenTexVertex>{{-0.5f, -1, 0, 1, 0, 0, 0}, {7.5f, -1, 0, 1, 0, 1, 0},
                                              {-0.5f, 2, 0, 1, 0, 0, 0}, {7.5f, 2, 0, 1, 0, 1, 0}}),
            S_OK);
  // Pre-transformed vertices keep their coordinates: the texture matrix applies to transformed ones.
  std::vector<uint32_t> pixels = ReadBackBuffer();
  for (int x = 0; x < 8; ++x) ASSERT_EQ(Red(pixels[x]) / 32, x);

  D3DMATRIX projection = Identity();
  projection._11 = 2.f / 8.f;
  projection._41 = -1.f;
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  ASSERT_EQ(Draw(D3DFVF_XYZ | D3DFVF_TEX1, D3DPT_TRIANGLESTRIP, 2,
                 std::vector<TexVertex>{{0, 1, 0.5f, 0.0625f, 0}, {8, 1, 0.5f, 1.0625f, 0},
                                        {0, -1, 0.5f, 0.0625f, 0}, {8, -1, 0.5f, 1.0625f, 0}}),
            S_OK);
  pixels = ReadBackBuffer();
  for (int x = 0; x < 8; ++x) ASSERT_EQ(Red(pixels[x]) / 32, (x + 2) % 8) << x;
  device_->SetTexture(0, nullptr);
}

}  // namespace
