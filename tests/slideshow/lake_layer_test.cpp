#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "platform/machine/machine.h"
#include "slideshow/lake_light.h"
#include "tests/support/document_builder.h"

namespace {

// A 24-bit bottom-up BMP painted pixel by pixel (0x00RRGGBB, y = 0 at the top).
docbuild::Bytes Bmp(int width, int height, const std::function<uint32_t(int, int)>& paint) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const uint32_t size = 54 + uint32_t(rowBytes * height);
  docbuild::Bytes bmp(size, 0);
  const auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, size), put32(10, 54), put32(14, 40), put32(18, uint32_t(width)), put32(22, uint32_t(height));
  bmp[26] = 1, bmp[28] = 24;
  put32(34, uint32_t(rowBytes * height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = paint(x, y);
      uint8_t* p = &bmp[54 + size_t(height - 1 - y) * rowBytes + size_t(x) * 3];
      p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16);
    }
  return bmp;
}

// Red tells the picture's row, green its column.
uint32_t RowAndColumn(int x, int y) { return uint32_t(y) << 16 | uint32_t(x) << 8 | 0x20u; }

struct ColorVertex {
  float x, y;
  D3DCOLOR color;
};

std::vector<ColorVertex> QuadVertices(DS_SimpleMesh<DX_V::PC>& quad) {
  std::vector<ColorVertex> out;
  DX_V::PC* v = quad.LockVertices();
  if (!v) return out;
  for (UINT i = 0; i < 4; ++i) out.push_back({v[i].x, v[i].y, v[i].color});
  quad.UnlockVertices();
  return out;
}

std::vector<LakeVertex> LakeVertices(FakeLake2D& lake) {
  std::vector<LakeVertex> out;
  LakeVertex* v = lake.lakeMesh.LockVertices();
  if (!v) return out;
  out.assign(v, v + FakeLake2D::kLakeVertexCount);
  lake.lakeMesh.UnlockVertices();
  return out;
}

}  // namespace

class LakeLayerTest : public LayerDeviceTest {
 protected:
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    LayerDeviceTest::TearDown();
  }

  // A resource manager holding the picture as "pic.bmp" (stamp 1), and a second of the given size
  // as "other.bmp" (stamp 2).
  void MakeManager(int width, int height, const std::function<uint32_t(int, int)>& paint, int otherWidth = 0,
                   int otherHeight = 0) {
    std::vector<docbuild::FileEntry> images = {
        {u"pic.bmp", 1, {docbuild::Embedded(u"pic.bmp", Bmp(width, height, paint))}}};
    if (otherWidth > 0)
      images.push_back({u"other.bmp", 2, {docbuild::Embedded(u"other.bmp", Bmp(otherWidth, otherHeight, paint))}});
    docbuild::DocumentBuilder tables;
    tables.DocResManager(1, images, {}, {}, {});
    ResourceBuffer buffer(tables.Document().data(), tables.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ds_string name;
    DWORD version = 0;
    stream->ReadString(&name);
    stream->ReadULong(&version);
    SetCurrentDocResManager(nullptr);
    manager_ = std::make_unique<DS_DocResManager>();
    ASSERT_TRUE(manager_->ReadTables(&stream, version));
    SetCurrentDocResManager(manager_.get());
  }

  // Scene start, then the activation of the layer's slide on the whole back buffer.
  void Start(FakeLake2D& lake) {
    lake.pictureLink.path = u"pic.bmp";
    lake.pictureLink.stamp = 1;
    lake.CreateDeviceResources();
    lake.Resize(1, 1);
    lake.Resize(int(width_), int(height_));
    lake.RestoreDeviceResources();
  }

  std::vector<uint32_t> RenderFrame(FakeLake2D& lake) {
    EXPECT_EQ(device_->BeginScene(), S_OK);
    lake.Render(false);
    lake.PostRender();
    device_->EndScene();
    return ReadBackBuffer();
  }

  // A V8U8 texture of one value at every texel.
  ComHolder<IDirect3DTexture9> BumpTexture(int8_t du, int8_t dv) {
    ComHolder<IDirect3DTexture9> texture;
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked{};
    if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, 0))) return texture;
    for (int y = 0; y < 4; ++y) {
      auto* row = static_cast<int8_t*>(locked.pBits) + y * locked.Pitch;
      for (int x = 0; x < 4; ++x) row[2 * x] = du, row[2 * x + 1] = dv;
    }
    texture->UnlockRect(0);
    return texture;
  }

  std::unique_ptr<DS_DocResManager> manager_;
};

// The lake rectangle starts at the horizon (1 - x) H and shows the picture's rows mirrored about
// it: v is 1 - x at the horizon and 1 - 2x at the lower edge. The band lies over the band height
// above the horizon, also when the lake has no height at all.
TEST_F(LakeLayerTest, LakeGeometryFollowsTheLakeHeight) {
  struct Case {
    UINT height;
    float horizon, vHorizon, vLower;
  };
  const Case cases[] = {
      {0, 150.0f, 0.5f, 0.0f},
      {25, 187.5f, 0.625f, 0.25f},
      {100, 300.0f, 1.0f, 1.0f},
      {60, 240.0f, 0.8f, 0.6f},
      // Beyond 100 the lake would turn upside down over the sky: held at the flat horizon.
      {300, 300.0f, 1.0f, 1.0f},
      {4000000000u, 300.0f, 1.0f, 1.0f},
  };
  MakeManager(400, 300, [](int, int) { return 0x808080u; });
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "lake height " << c.height);
    FakeLake2D lake;
    lake.lakeHeight = c.height;
    lake.bumpTiling = 300u;
    Start(lake);

    const std::vector<LakeVertex> mesh = LakeVertices(lake);
    ASSERT_EQ(mesh.size(), 6u);
    // Upper-left, lower-left, lower-right, then upper-left, lower-right, upper-right.
    const float xs[6] = {0, 0, 400, 0, 400, 400};
    const bool upper[6] = {true, false, false, true, false, true};
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_FLOAT_EQ(mesh[i].x, xs[i]);
      EXPECT_NEAR(mesh[i].y, upper[i] ? c.horizon : 300.0f, 1e-4f);
      EXPECT_EQ(mesh[i].z, 0.0f);
      EXPECT_FLOAT_EQ(mesh[i].u, xs[i] / 400.0f);
      EXPECT_NEAR(mesh[i].v, upper[i] ? c.vHorizon : c.vLower, 1e-6f);
      // A stored tiling of 300 would run the clamped bump map three times over: held at once.
      EXPECT_FLOAT_EQ(mesh[i].bumpU, xs[i] > 0 ? 1.0f : 0.01f);
      EXPECT_FLOAT_EQ(mesh[i].bumpV, upper[i] ? 0.01f : 1.0f);
    }

    const std::vector<ColorVertex> tint = QuadVertices(lake.tintQuad);
    const std::vector<ColorVertex> band = QuadVertices(lake.bandQuad);
    ASSERT_EQ(tint.size(), 4u);
    ASSERT_EQ(band.size(), 4u);
    const float tintY[4] = {300.0f, c.horizon, 300.0f, c.horizon};
    const float bandY[4] = {c.horizon, c.horizon - 7.0f, c.horizon, c.horizon - 7.0f};
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      EXPECT_FLOAT_EQ(tint[i].x, i < 2 ? 0.0f : 400.0f);
      EXPECT_NEAR(tint[i].y, tintY[i], 1e-4f);
      EXPECT_FLOAT_EQ(band[i].x, i < 2 ? 0.0f : 400.0f);
      EXPECT_NEAR(band[i].y, bandY[i], 1e-4f);
    }
  }
}

// The tint runs from the tint alpha at the lake's lower edge to tint alpha x (1 - factor) at the
// horizon, where the band takes over and fades to nothing above; the colour is the lake colour.
TEST_F(LakeLayerTest, TintAlphasAndColour) {
  struct Case {
    UINT tint, factor;
    DWORD color;
    int lower, horizon;
    D3DCOLOR rgb;
  };
  const Case cases[] = {
      {31, 58, 0x408000u, 63, 26, 0x008040u},    // 0.248 and 0.104
      {31, 100, 0x408000u, 63, 0, 0x008040u},    // the horizon edge fully transparent
      {31, 0, 0x00112233u, 63, 63, 0x332211u},   // no fade
      {125, 58, 0x00FF0000u, 255, 107, 0x0000FFu},
      {200, 58, 0x000000FFu, 255, 171, 0xFF0000u},  // beyond opaque is held at opaque
      {31, 250, 0x408000u, 63, 0, 0x008040u},    // a factor past 1 gives no negative opacity
  };
  MakeManager(64, 48, [](int, int) { return 0x808080u; });
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tint " << c.tint << " factor " << c.factor);
    FakeLake2D lake;
    lake.tintAlpha = c.tint;
    lake.horizonFactor = c.factor;
    lake.lakeColor = c.color;
    Start(lake);
    const std::vector<ColorVertex> tint = QuadVertices(lake.tintQuad);
    const std::vector<ColorVertex> band = QuadVertices(lake.bandQuad);
    ASSERT_EQ(tint.size(), 4u);
    ASSERT_EQ(band.size(), 4u);
    // Corners 0 and 2 lie below corners 1 and 3.
    const int tintAlpha[4] = {c.lower, c.horizon, c.lower, c.horizon};
    const int bandAlpha[4] = {c.horizon, 0, c.horizon, 0};
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(int(tint[i].color >> 24), tintAlpha[i]);
      EXPECT_EQ(int(band[i].color >> 24), bandAlpha[i]);
      EXPECT_EQ(tint[i].color & 0xFFFFFFu, c.rgb);
      EXPECT_EQ(band[i].color & 0xFFFFFFu, c.rgb);
    }
  }
}

// The wave clock runs with the frames (each step at most 0.2 s, times the speed) and turns the bump
// matrix by 4.5 radians per clock second; its scale stays 0.04.
TEST(LakeBumpMatrixTest, TurnsWithTheWaveClock) {
  struct Case {
    UINT speed;
    std::vector<float> times;
    float clock;
  };
  const Case cases[] = {
      {50, {0.0f}, 0.0f},
      {50, {0.0f, 0.1f}, 0.1f},
      {50, {0.0f, 0.2f, 0.349f}, 0.349f},
      {50, {0.0f, 5.0f}, 0.2f},          // a long pause counts as 0.2 s
      {100, {0.0f, 0.1f, 0.2f}, 0.4f},   // twice the speed
      {0, {0.0f, 0.1f, 0.2f}, 0.0f},     // speed 0 stands still
      {50, {1.0f, 0.5f, 0.6f}, 0.3f},    // a time going back gives no step
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " clock " << c.clock);
    FakeLake2D lake;
    lake.waveSpeed = c.speed;
    for (float t : c.times) lake.AdvanceFrame(t);
    EXPECT_NEAR(lake.waveSpeed.accumulated, c.clock, 1e-5f);
    const float a = c.clock * 4.5f;
    EXPECT_NEAR(lake.bumpMatrix[0], 0.04f * std::cos(a), 1e-6f);
    EXPECT_NEAR(lake.bumpMatrix[1], -0.04f * std::sin(a), 1e-6f);
    EXPECT_NEAR(lake.bumpMatrix[2], 0.04f * std::sin(a), 1e-6f);
    EXPECT_NEAR(lake.bumpMatrix[3], 0.04f * std::cos(a), 1e-6f);
    EXPECT_NEAR(std::hypot(lake.bumpMatrix[0], lake.bumpMatrix[2]), 0.04f, 1e-7f);
  }
}

// Without a bump texture the lake is an undisturbed mirror of the rows above the horizon, and the
// picture above the horizon stays the picture, from the first frame on.
TEST_F(LakeLayerTest, LakeMirrorsTheRowsAboveTheHorizon) {
  struct Case {
    UINT height;
    int horizon;
  };
  const Case cases[] = {{0, 128}, {25, 160}, {100, 256}};
  CreateDevice(256, 256);
  MakeManager(256, 256, RowAndColumn);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "lake height " << c.height);
    FakeLake2D lake;
    lake.lakeHeight = c.height;
    lake.tintAlpha = 0u;
    Start(lake);
    lake.AdvanceFrame(0.0f);
    const std::vector<uint32_t> pixels = RenderFrame(lake);
    ASSERT_EQ(pixels.size(), 256u * 256u);
    for (int y : {0, 40, c.horizon - 1, c.horizon, c.horizon + 30, 255}) {
      if (y > 255) continue;
      for (int x : {3, 100, 250}) {
        SCOPED_TRACE(testing::Message() << "pixel " << x << ", " << y);
        const uint32_t p = Pixel(pixels, x, y);
        const int row = y < c.horizon ? y : 2 * c.horizon - y - 1;
        EXPECT_NEAR(Red(p), row, 1);
        EXPECT_NEAR(Green(p), x, 1);
      }
    }
  }
}

// The bump texture under the layer's GUID moves the reflection's lookup by the bump matrix times the
// bump value: along u at the start of the clock, along v a quarter turn later.
TEST_F(LakeLayerTest, BumpTextureWobblesTheReflection) {
  CreateDevice(256, 256);
  MakeManager(256, 256, RowAndColumn);
  FakeLake2D lake;
  lake.lakeHeight = 0u;  // horizon at row 128
  lake.tintAlpha = 0u;
  manager_->GuidTexture(lake.bumpGuid) = BumpTexture(127, 0);
  Start(lake);
  ASSERT_TRUE(lake.bumpTexture);

  lake.AdvanceFrame(0.0f);  // m = 0.04 I: u moves by 0.04 of the width
  std::vector<uint32_t> pixels = RenderFrame(lake);
  EXPECT_NEAR(Green(Pixel(pixels, 100, 200)), 100 + 10.24, 1.5);
  EXPECT_NEAR(Red(Pixel(pixels, 100, 200)), 55, 1);
  EXPECT_NEAR(Green(Pixel(pixels, 100, 60)), 100, 1);  // the picture itself is not bumped

  // A quarter turn (clock pi / 9): m = (0, -0.04, 0.04, 0), so v moves back by 0.04 of the height.
  lake.AdvanceFrame(0.2f);
  lake.AdvanceFrame(0.34906585f);
  pixels = RenderFrame(lake);
  EXPECT_NEAR(Green(Pixel(pixels, 100, 200)), 100, 1.5);
  EXPECT_NEAR(Red(Pixel(pixels, 100, 200)), 55 - 10.24, 1.5);
}

// The lake colour lies over the lake at 0.248 at the lower edge and 0.104 at the horizon, and the
// band fades it out above the horizon.
TEST_F(LakeLayerTest, TintFadesTowardsTheHorizon) {
  CreateDevice(256, 256);
  MakeManager(256, 256, [](int, int) { return 0x808080u; });
  FakeLake2D lake;  // horizon at row 160, band from row 153
  Start(lake);
  lake.AdvanceFrame(0.0f);
  const std::vector<uint32_t> pixels = RenderFrame(lake);
  // Over grey 128, the colour (red 0, green 0x80, blue 0x40) at opacity a leaves red 128 (1 - a).
  const auto opacity = [&](int y) { return 1.0 - Red(Pixel(pixels, 128, y)) / 128.0; };
  EXPECT_NEAR(opacity(255), 0.247, 0.01);
  EXPECT_NEAR(opacity(160), 0.104, 0.01);
  EXPECT_NEAR(opacity(159), 0.09, 0.02);
  EXPECT_NEAR(opacity(150), 0.0, 0.005);
  EXPECT_NEAR(opacity(40), 0.0, 0.005);
  EXPECT_NEAR(Green(Pixel(pixels, 128, 255)), 128, 1);
  EXPECT_NEAR(Blue(Pixel(pixels, 128, 255)), 128 - 64 * 0.247, 2);
}

// The lake is drawn with stage 0 bump-mapping the bump texture into stage 1's reflection lookup,
// from a list of two triangles with both coordinate pairs; the tint quads follow in their colours.
TEST_F(LakeLayerTest, RecordsTheLakeDraw) {
  MakeManager(64, 48, [](int, int) { return 0x808080u; });
  FakeLake2D lake;
  manager_->GuidTexture(lake.bumpGuid) = BumpTexture(10, -10);
  Start(lake);
  lake.AdvanceFrame(0.0f);
  lake.AdvanceFrame(0.1f);
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  ASSERT_NE(recorder, nullptr);
  recorder->enabled = true;
  ASSERT_EQ(device_->BeginScene(), S_OK);
  lake.Render(false);
  device_->EndScene();
  recorder->enabled = false;

  std::vector<const d3d9::RecordedCall*> draws;
  for (const d3d9::RecordedCall& call : recorder->calls)
    if (call.name == "DrawPrimitive") draws.push_back(&call);
  ASSERT_EQ(draws.size(), 4u);  // picture, lake, tint, band
  const d3d9::RecordedCall& lakeDraw = *draws[1];
  EXPECT_EQ(lakeDraw.args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 2}));
  const d3d9::DeviceState& s = lakeDraw.state;
  EXPECT_EQ(s.fvf, 0x202u);
  EXPECT_EQ(s.streamStride, 28u);
  EXPECT_EQ(s.stream, lake.lakeMesh.vertexBuffer.Get());
  EXPECT_EQ(s.textures[0], lake.bumpTexture.Get());
  EXPECT_EQ(s.textures[1], lake.reflection.texture.Get());
  EXPECT_NE(s.textures[1], nullptr);
  EXPECT_EQ(s.Stage(0, D3DTSS_COLOROP), DWORD(D3DTOP_BUMPENVMAP));
  EXPECT_EQ(s.Stage(0, D3DTSS_TEXCOORDINDEX), 0u);
  EXPECT_EQ(s.Stage(1, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
  EXPECT_EQ(s.Stage(1, D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
  EXPECT_EQ(s.Stage(1, D3DTSS_TEXCOORDINDEX), 1u);
  EXPECT_EQ(s.Sampler(0, D3DSAMP_ADDRESSU), DWORD(D3DTADDRESS_CLAMP));
  EXPECT_EQ(s.Sampler(1, D3DSAMP_ADDRESSV), DWORD(D3DTADDRESS_MIRROR));
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(s.Stage(0, static_cast<D3DTEXTURESTAGESTATETYPE>(D3DTSS_BUMPENVMAT00 + k)), d3d9::BitsOf(lake.bumpMatrix[k])) << k;
  EXPECT_NE(lake.bumpMatrix[1], 0.0f);

  for (int i : {2, 3}) {
    SCOPED_TRACE(i);
    const d3d9::DeviceState& q = draws[i]->state;
    EXPECT_EQ(q.fvf, 0x42u);
    EXPECT_EQ(q.Render(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(q.Stage(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(q.Stage(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(q.textures[1], nullptr);
  }
  EXPECT_EQ(draws[2]->state.stream, lake.tintQuad.vertexBuffer.Get());
  EXPECT_EQ(draws[3]->state.stream, lake.bandQuad.vertexBuffer.Get());
}

// After the restore the picture draws from stage 0 alone; samplers 1 mirror, and sampler 0 clamps
// for the bump texture.
TEST_F(LakeLayerTest, RestoreLeavesTheStatesThePictureNeeds) {
  MakeManager(64, 48, [](int, int) { return 0x808080u; });
  FakeLake2D lake;
  Start(lake);
  struct Expect {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
  };
  const Expect stages[] = {
      {0, D3DTSS_COLOROP, D3DTOP_MODULATE},     {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},     {0, D3DTSS_TEXCOORDINDEX, 0},
      {1, D3DTSS_COLOROP, D3DTOP_DISABLE},      {1, D3DTSS_TEXCOORDINDEX, 1},
      {1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
  };
  for (const Expect& e : stages) {
    DWORD value = 0xDEAD;
    device_->GetTextureStageState(e.stage, e.type, &value);
    EXPECT_EQ(value, e.value) << "stage " << e.stage << " state " << e.type;
  }
  const std::pair<D3DRENDERSTATETYPE, DWORD> renders[] = {
      {D3DRS_ZENABLE, FALSE},          {D3DRS_ZWRITEENABLE, FALSE},       {D3DRS_CULLMODE, D3DCULL_NONE},
      {D3DRS_LIGHTING, FALSE},         {D3DRS_AMBIENT, 0xFFFFFFFFu},      {D3DRS_DITHERENABLE, TRUE},
      {D3DRS_SPECULARENABLE, FALSE},   {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
  };
  for (const auto& [state, expected] : renders) {
    DWORD value = 0xDEAD;
    device_->GetRenderState(state, &value);
    EXPECT_EQ(value, expected) << "render state " << state;
  }
  DWORD address = 0;
  device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
  EXPECT_EQ(address, DWORD(D3DTADDRESS_CLAMP));
  device_->GetSamplerState(1, D3DSAMP_ADDRESSV, &address);
  EXPECT_EQ(address, DWORD(D3DTADDRESS_MIRROR));
  ComHolder<IDirect3DBaseTexture9> stage1;
  device_->GetTexture(1, stage1.Out());
  EXPECT_FALSE(stage1);
  EXPECT_EQ(lake.layerTarget.Width(), width_);
}

// A lake buffer that cannot be made leaves the lake out: the picture shows unmirrored under the
// tint, and nothing fails.
TEST_F(LakeLayerTest, LakeWithoutBufferIsNotDrawn) {
  CreateDevice(256, 256);
  MakeManager(256, 256, RowAndColumn);
  FakeLake2D lake;
  lake.lakeHeight = 0u;
  lake.tintAlpha = 0u;
  Start(lake);
  machine::Current().faults.failResourceCreation = true;
  lake.CreateLakeMesh();
  machine::Current().faults.failResourceCreation = false;
  EXPECT_FALSE(lake.lakeMesh.vertexBuffer);
  lake.OnImageChanged();
  lake.AdvanceFrame(0.0f);
  const std::vector<uint32_t> pixels = RenderFrame(lake);
  EXPECT_NEAR(Red(Pixel(pixels, 100, 200)), 200, 1);
  EXPECT_NEAR(Green(Pixel(pixels, 100, 200)), 100, 1);
}

// Saving hands the layer's bump texture to the document under its GUID, but only once the layer
// has taken it from there: a layer without device resources leaves the document's texture alone.
TEST_F(LakeLayerTest, SaveStoresTheBumpTextureOnceTaken) {
  MakeManager(64, 48, [](int, int) { return 0x808080u; });
  const ComHolder<IDirect3DTexture9> stored = BumpTexture(1, 2);
  FakeLake2D lake;
  manager_->GuidTexture(lake.bumpGuid) = stored;

  // The reader's write operations write nothing.
  const uint8_t none = 0;
  ResourceBuffer nothing(&none, 0);
  DS_IOF_R<ResourceBuffer> writer(&nothing);
  DS_IOF_Virtual* stream = &writer;
  EXPECT_TRUE(lake.Save(&stream));
  EXPECT_EQ(manager_->GuidTexture(lake.bumpGuid).Get(), stored.Get());

  Start(lake);
  EXPECT_EQ(lake.bumpTexture.Get(), stored.Get());
  const ComHolder<IDirect3DTexture9> replaced = BumpTexture(3, 4);
  lake.bumpTexture = replaced;
  EXPECT_TRUE(lake.Save(&stream));
  EXPECT_EQ(manager_->GuidTexture(lake.bumpGuid).Get(), replaced.Get());
}

// A new picture renews the lake: its geometry follows the new size, and the reflection is a fresh
// square copy of the reflection size (512 for size 2).
TEST_F(LakeLayerTest, NewPictureRenewsReflectionAndGeometry) {
  MakeManager(256, 256, RowAndColumn, 128, 64);
  FakeLake2D lake;
  lake.reflectionSize = 2;
  Start(lake);
  IDirect3DTexture9* first = lake.reflection.texture.Get();
  ASSERT_NE(first, nullptr);

  lake.pictureLink.path = u"other.bmp";
  lake.pictureLink.stamp = 2;
  lake.OnImageChanged();
  ASSERT_NE(lake.reflection.texture.Get(), nullptr);
  EXPECT_NE(lake.reflection.texture.Get(), first);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(lake.reflection.texture->GetLevelDesc(0, &desc), S_OK);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(desc.Height, 512u);
  const std::vector<LakeVertex> mesh = LakeVertices(lake);
  ASSERT_EQ(mesh.size(), 6u);
  EXPECT_FLOAT_EQ(mesh[0].y, 40.0f);  // 0.625 x 64
  EXPECT_FLOAT_EQ(mesh[2].x, 128.0f);
  EXPECT_FLOAT_EQ(mesh[2].y, 64.0f);
  EXPECT_FLOAT_EQ(mesh[2].bumpU, 1.0f);  // the bump coordinates stay
  const std::vector<ColorVertex> band = QuadVertices(lake.bandQuad);
  ASSERT_EQ(band.size(), 4u);
  EXPECT_FLOAT_EQ(band[1].y, 33.0f);
  EXPECT_EQ(band[0].color >> 24, 26u);  // the alphas stay
}

// A reflection size outside what a square copy allows gives no reflection; the lake is then left
// out, so the picture shows unmirrored under it rather than a blank rectangle.
TEST_F(LakeLayerTest, ReflectionSizeOutOfRangeLeavesTheLakeOut) {
  CreateDevice(256, 256);
  MakeManager(256, 256, RowAndColumn);
  for (int size : {-1, 7, 40}) {
    SCOPED_TRACE(size);
    FakeLake2D lake;
    lake.reflectionSize = size;
    lake.lakeHeight = 0u;
    lake.tintAlpha = 0u;
    Start(lake);
    EXPECT_FALSE(lake.reflection.texture);
    lake.AdvanceFrame(0.0f);
    const std::vector<uint32_t> pixels = RenderFrame(lake);
    EXPECT_NEAR(Red(Pixel(pixels, 100, 200)), 200, 1);
    EXPECT_NEAR(Green(Pixel(pixels, 100, 200)), 100, 1);
  }
}
