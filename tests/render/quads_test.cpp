#include <gtest/gtest.h>

#include "device_fixture.h"
#include "platform/machine/machine.h"
#include "render/textured_quad.h"

namespace {

template <class Mesh>
std::vector<typename Mesh::Vertex> Vertices(Mesh& mesh) {
  std::vector<typename Mesh::Vertex> out;
  if (auto* v = mesh.LockVertices()) {
    out.assign(v, v + mesh.vertexCount);
    mesh.UnlockVertices();
  }
  return out;
}

}  // namespace

using QuadsTest = RenderDeviceTest;

TEST_F(QuadsTest, LoadingSquareIsTwoThirdsOfTheHeightCentred) {
  struct Case {
    UINT width, height;
    float x0, y0, side;
  };
  const Case cases[] = {{1024, 768, 256, 128, 512}, {1280, 1024, 298.6667f, 170.6667f, 682.6667f}};
  for (const Case& c : cases) {
    CreateDevice(c.width, c.height);
    TexturedQuad<DX_V::PWCT> quad;
    quad.LoadResourceQuad(5);  // this test's executable carries no such resource
    EXPECT_FALSE(quad.texture);
    EXPECT_EQ(quad.primitiveCount, 2u);
    const auto v = Vertices(quad);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_NEAR(v[1].x, c.x0, 1e-3);
    EXPECT_NEAR(v[1].y, c.y0, 1e-3);
    EXPECT_NEAR(v[2].x - v[1].x, c.side, 1e-3);
    EXPECT_NEAR(v[0].y - v[1].y, c.side, 1e-3);
    for (const auto& vertex : v) {
      EXPECT_EQ(vertex.color, 0xFFFFFFFFu);
      EXPECT_EQ(vertex.rhw, 1.0f);
      EXPECT_EQ(vertex.z, 0.0f);
    }
    EXPECT_EQ(v[0].v, 1.0f);
    EXPECT_EQ(v[3].u, 1.0f);
  }
}

TEST_F(QuadsTest, SetAlphaTruncatesAndKeepsRgb) {
  struct Case {
    BYTE a;
    float k;
    DWORD alpha;
  };
  const Case cases[] = {{200, 0.5f, 100}, {255, 1.0f, 255}, {255, 0.999f, 254}, {100, 3.0f, 255}, {100, -1.0f, 0}};
  QuadCorners corners;
  TexturedQuad<DX_V::PWCT> quad;
  quad.SetTextureAndCorners(nullptr, corners);
  for (const Case& c : cases) {
    quad.SetAlpha(c.a, c.k);
    for (const auto& vertex : Vertices(quad)) EXPECT_EQ(vertex.color, (c.alpha << 24) | 0xFFFFFFu) << int(c.a) << " " << c.k;
  }
}

TEST_F(QuadsTest, ScreenCornersPutZIntoRhw) {
  QuadCorners corners;
  corners.FitAspect(TextureEntry(), 200.0f, 100.0f);
  for (QuadCorner& corner : corners.corners) corner.z = 0.5f;
  TexturedQuad<DX_V::PWCT> quad;
  quad.SetCornersOwnResource0(corners);
  EXPECT_FALSE(quad.texture);
  auto v = Vertices(quad);
  EXPECT_EQ(v[3].x, 150.0f);
  EXPECT_EQ(v[3].rhw, 0.5f);
  EXPECT_EQ(v[3].z, 0.0f);
  // UpdateCorners rewrites positions and texture coordinates only.
  quad.SetAlpha(255, 0.5f);
  corners.corners[3].x = 10.0f;
  corners.corners[3].u = 0.25f;
  quad.UpdateCorners(corners);
  v = Vertices(quad);
  EXPECT_EQ(v[3].x, 10.0f);
  EXPECT_EQ(v[3].u, 0.25f);
  EXPECT_EQ(v[3].color, 0x7FFFFFFFu);
}

TEST_F(QuadsTest, WorldQuadVerticesThenPositions) {
  TexturedQuad<DX_V::PT> quad;
  const float vertices[20] = {0, 1, 2, 1, 1, 3, 4, 5, 0, 0, 6, 7, 8, 1, 0, 9, 10, 11, 0, 1};
  quad.SetVertices(vertices);
  TextureEntry entry;
  entry.SetFromInfo(300, 200, nullptr);
  quad.SetTextureEntry(entry);
  const auto v = Vertices(quad);
  ASSERT_EQ(v.size(), 4u);
  const float expected[4][5] = {{0, 200, 0, 1, 1}, {0, 0, 0, 0, 0}, {300, 200, 0, 1, 0}, {300, 0, 0, 0, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, expected[i][0]);
    EXPECT_EQ(v[i].y, expected[i][1]);
    EXPECT_EQ(v[i].z, expected[i][2]);
    EXPECT_EQ(v[i].u, expected[i][3]);
    EXPECT_EQ(v[i].v, expected[i][4]);
  }
}

TEST_F(QuadsTest, ColourQuadCornerAlphasAndRgb) {
  DS_SimpleMesh<DX_V::PWC> screen;
  QuadCorners corners;
  screen.BuildQuad(0x80123456u, corners);
  screen.SetCornerAlphas(1.0f, 0.0f, 1.0f, 0.0f);
  auto v = Vertices(screen);
  // Standard corners: 0 and 1 are the left edge, 2 and 3 the right edge.
  EXPECT_EQ(v[0].color, 0xFF123456u);
  EXPECT_EQ(v[1].color, 0xFF123456u);
  EXPECT_EQ(v[2].color, 0x00123456u);
  EXPECT_EQ(v[3].color, 0x00123456u);
  EXPECT_EQ(v[0].rhw, 1.0f);

  DS_SimpleMesh<DX_V::PC> world;
  world.BuildQuad(0x88000000u, corners);
  world.SetCornerAlphas(0.5f, 0.25f, 0.0f, 1.0f);
  world.SetRGB(0xAA00FF00u);
  const auto w = Vertices(world);
  EXPECT_EQ(w[0].color, 0x7F00FF00u);
  EXPECT_EQ(w[1].color, 0x0000FF00u);
  EXPECT_EQ(w[2].color, 0x3F00FF00u);
  EXPECT_EQ(w[3].color, 0xFF00FF00u);
  EXPECT_EQ(w[0].z, 0.0f);
}

TEST_F(QuadsTest, SquareTextureCopyIsSizedByTheShift) {
  ComHolder<IDirect3DTexture9> source;
  ASSERT_EQ(device_->CreateTexture(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, source.Out(), nullptr), S_OK);
  struct Case {
    int shift;
    UINT side;  // 0: no copy
  };
  const Case cases[] = {{0, 128}, {1, 256}, {3, 1024}, {-1, 0}, {40, 0}};
  TexturedQuad<DX_V::PT> quad;
  for (const Case& c : cases) {
    quad.SetSquareTextureCopy(c.shift, source.Get());
    if (c.side == 0) {
      EXPECT_FALSE(quad.texture) << c.shift;
      continue;
    }
    ASSERT_TRUE(quad.texture) << c.shift;
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(quad.texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Width, c.side);
    EXPECT_EQ(desc.Height, c.side);
    // The quad holds the only reference: the temporary one was let go.
    quad.texture->AddRef();
    EXPECT_EQ(quad.texture->Release(), 1u) << c.shift;
  }
}

TEST_F(QuadsTest, LocksThatFailWriteNothing) {
  machine::Current().faults.failLocks = true;
  TexturedQuad<DX_V::PWCT> quad;
  quad.SetTextureAndCorners(nullptr, QuadCorners());
  quad.SetAlpha(255, 1.0f);
  DS_SimpleMesh<DX_V::PWC> colour;
  colour.BuildQuad(0xFFFFFFFFu, QuadCorners());
  colour.SetCornerAlphas(1, 1, 1, 1);
  machine::Current().faults.failLocks = false;
  ASSERT_TRUE(quad.vertexBuffer);
  ASSERT_TRUE(colour.vertexBuffer);
  EXPECT_EQ(quad.lockedVertices, nullptr);
  for (const auto& vertex : Vertices(quad)) EXPECT_EQ(vertex.color, 0u);
  for (const auto& vertex : Vertices(colour)) EXPECT_EQ(vertex.color, 0u);
}

TEST(QuadsWithoutDevice, OperationsWithoutABufferWriteNothing) {
  g_Device = nullptr;
  TexturedQuad<DX_V::PWCT> quad;
  quad.SetTextureAndCorners(nullptr, QuadCorners());
  quad.SetAlpha(255, 1.0f);
  quad.UpdateCorners(QuadCorners());
  EXPECT_FALSE(quad.vertexBuffer);
  DS_SimpleMesh<DX_V::PC> colour;
  colour.SetCornerAlphas(1, 1, 1, 1);
  colour.SetRGB(0);
  EXPECT_FALSE(colour.vertexBuffer);
}
