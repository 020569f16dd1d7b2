// The fire brush: its record and readers, the grid it spans, the parameters it sets and what its
// effect draws.
#include "objects/fire_brush.h"

#include <gtest/gtest.h>

#include <memory>

#include "brush_fixture.h"
#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "objects/brush_obj.h"
#include "slideshow/view_2d.h"
#include "tests/support/document_builder.h"

namespace brush_test {
namespace {

using doc_res_test::References;

constexpr uint8_t kData4[8] = {1, 1, 2, 3, 5, 8, 13, 21};

// The brush base level that ends every fire record: speed 50, no MainFX, the default effect.
void BaseLevel(docbuild::DocumentBuilder& doc, uint32_t speed = 50) {
  doc.Header(u"DS_FX_Constructor", 2).U32(speed).I32(0);
  doc.GuidText(0x0F1E2D3C, 0x4B5A, 0x6978, kData4).String(u"").U8(1);
  doc.Link(u"vaultkit.dll", 92).U32(50);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"flames");
}

struct FireFields {
  float corners[12] = {10, 200, 0, 10, 40, 0, 240, 200, 0, 240, 40, 0};
  uint32_t colorA = 0x00FFFFFF;
  uint32_t colorB = 0x00000080;
  int32_t int1 = 7;
  int32_t int2 = -9;
  uint32_t density = 150, brightness = 40, repeat = 200;
};

docbuild::Bytes FireRecord(uint32_t version, const FireFields& f = {}) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_FireFX", version);
  if (version > 1) {
    for (float v : f.corners) doc.F32(v);
    doc.U32(f.colorA).U32(f.colorB).I32(f.int1);
    doc.Link(u"white.png", 1).Link(u"gray.png", 1).I32(f.int2);
    doc.U32(f.density).U32(f.brightness).U32(f.repeat);
  }
  BaseLevel(doc);
  return doc.Document();
}

// Reads the record through the constructor registry; null when the stream failed.
std::unique_ptr<DS_FireFX> ReadRegistered(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> read(ReadConstructorByClassName(&stream));
  if (stream->Failed()) return nullptr;
  return std::unique_ptr<DS_FireFX>(dynamic_cast<DS_FireFX*>(read.release()));
}

int Red(uint32_t rgb) { return int(rgb >> 16 & 0xFF); }
int Green(uint32_t rgb) { return int(rgb >> 8 & 0xFF); }
int Blue(uint32_t rgb) { return int(rgb & 0xFF); }

std::vector<DX_V::PT> Vertices(GridMesh& grid) {
  std::vector<DX_V::PT> out;
  if (DX_V::PT* v = grid.LockVertices()) {
    out.assign(v, v + grid.vertexCount);
    grid.UnlockVertices();
  }
  return out;
}

void ExpectSingle(const std::vector<float>& values, float expected) {
  ASSERT_EQ(values.size(), 1u);
  EXPECT_FLOAT_EQ(values[0], expected);
}

class FireBrushTest : public BrushSceneTest {
 protected:
  void SetUp() override {
    BrushSceneTest::SetUp();
    g_View2D = InitView2D();
  }
  // A loaded fire brush with the tests' pictures: white pattern, grey noise.
  static void UseTestPictures(DS_FireFX& fire) {
    fire.patternLink = Image(u"white.png");
    fire.noiseLink = Image(u"gray.png");
  }
  static std::vector<float> Values(ID3DXEffect* effect, const std::string& what) {
    return LastSet(effect, what).values;
  }
};

TEST_F(FireBrushTest, DefaultsNameTheLibraryEffectAndPictures) {
  DS_FireFX fire;
  EXPECT_EQ(fire.effectLink.path, u"vaultkit.dll");
  EXPECT_EQ(fire.effectLink.stamp, 92);
  EXPECT_EQ(fire.patternLink.stamp, 93);
  EXPECT_EQ(fire.noiseLink.stamp, 8);
  EXPECT_EQ(fire.patternLink.path, u"vaultkit.dll");
  EXPECT_FLOAT_EQ(fire.speed.derived, 1.0f);
  EXPECT_FLOAT_EQ(fire.density.derived, 0.0f);
  EXPECT_FLOAT_EQ(fire.brightness.derived, 0.3f);
  EXPECT_FLOAT_EQ(fire.textureRepeat.derived, 1.0f);
  EXPECT_FLOAT_EQ(fire.zoom.derived, 1.0f);
  EXPECT_EQ(fire.colorA.value, 0x00FFFFu);
  EXPECT_EQ(fire.colorB.value, 0x0000FFu);
}

TEST_F(FireBrushTest, RegisteredReaderReadsEveryFieldOfVersion2) {
  auto fire = ReadRegistered(FireRecord(2));
  ASSERT_TRUE(fire);
  EXPECT_FLOAT_EQ(fire->quad.corners[0].value.x, 10.0f);
  EXPECT_FLOAT_EQ(fire->quad.corners[1].value.y, 40.0f);
  EXPECT_FLOAT_EQ(fire->quad.corners[3].value.x, 240.0f);
  EXPECT_EQ(fire->colorA.value, 0x00FFFFFFu);
  EXPECT_EQ(fire->colorB.value, 0x00000080u);
  EXPECT_EQ(fire->storedInt1.value, 7);
  EXPECT_EQ(fire->storedInt2.value, -9);
  EXPECT_EQ(fire->patternLink.path, u"white.png");
  EXPECT_EQ(fire->noiseLink.path, u"gray.png");
  // The scaled values are notified, so their derived values follow.
  EXPECT_FLOAT_EQ(fire->density.derived, 0.5f);
  EXPECT_FLOAT_EQ(fire->brightness.derived, 0.8f);
  EXPECT_FLOAT_EQ(fire->textureRepeat.derived, 2.0f);
  EXPECT_EQ(fire->name, u"flames");
  EXPECT_EQ(fire->identity.guid.Data1, 0x0F1E2D3Cu);
}

TEST_F(FireBrushTest, Version1RecordKeepsEveryFireDefault) {
  auto fire = ReadRegistered(FireRecord(1));
  ASSERT_TRUE(fire);
  for (const auto& corner : fire->quad.corners) {
    EXPECT_EQ(corner.value.x, 0.0f);
    EXPECT_EQ(corner.value.y, 0.0f);
  }
  EXPECT_EQ(fire->colorA.value, 0x00FFFFu);
  EXPECT_EQ(fire->patternLink.stamp, 93);
  EXPECT_FLOAT_EQ(fire->density.derived, 0.0f);
  EXPECT_EQ(fire->name, u"flames");  // the base level is still read
}

TEST_F(FireBrushTest, FlameLayerReaderTakesTheHeaderItself) {
  const docbuild::Bytes bytes = FireRecord(2);
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_FireFX> fire(ReadFireFX(&stream));
  ASSERT_FALSE(stream->Failed());
  EXPECT_EQ(buffer.Remaining(), 0u);
  EXPECT_EQ(fire->storedInt1.value, 7);
  EXPECT_FLOAT_EQ(fire->textureRepeat.derived, 2.0f);
}

TEST_F(FireBrushTest, TruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = FireRecord(2);
  for (size_t length : {size_t(20), size_t(60), whole.size() - 1}) {
    SCOPED_TRACE(length);
    const docbuild::ExactBuffer exact(docbuild::Truncated(whole, length));
    ResourceBuffer buffer(exact.Data(), exact.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    std::unique_ptr<DS_FireFX> fire(ReadFireFX(&stream));
    EXPECT_TRUE(stream->Failed());
  }
}

// Corner 0 at (0, 0), corner 1 at (columns, 0), corner 2 at (0, rows), corner 3 at (columns, rows);
// v runs 0 to 1 along the columns, u from 0 to 1 / repeat along the rows.
TEST_F(FireBrushTest, LoadBuildsTheGridBetweenTheCorners) {
  struct Case {
    UINT repeat;
    float uEnd;
  };
  for (const Case& c : {Case{100, 1.0f}, Case{200, 0.5f}, Case{50, 2.0f}, Case{0, 1.0f}}) {
    SCOPED_TRACE(c.repeat);
    DS_FireFX fire;
    UseTestPictures(fire);
    const float corners[4][2] = {{10, 200}, {10, 40}, {240, 200}, {240, 40}};
    for (int i = 0; i < 4; ++i) fire.quad.corners[i] = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
    fire.textureRepeat.SetAndNotify(c.repeat);
    fire.Load(nullptr);
    EXPECT_EQ(fire.part.columns, 8);
    EXPECT_EQ(fire.part.rows, 8);
    EXPECT_EQ(fire.part.triangleCount, 128u);
    EXPECT_EQ(fire.part.primitiveType, D3DPT_TRIANGLELIST);
    const std::vector<DX_V::PT> v = Vertices(fire.part);
    ASSERT_EQ(v.size(), 81u);
    auto at = [&](int column, int row) { return v[size_t(row) * 9 + column]; };
    EXPECT_FLOAT_EQ(at(0, 0).x, 10.0f);
    EXPECT_FLOAT_EQ(at(0, 0).y, 200.0f);
    EXPECT_FLOAT_EQ(at(8, 0).y, 40.0f);   // corner 1
    EXPECT_FLOAT_EQ(at(0, 8).x, 240.0f);  // corner 2
    EXPECT_FLOAT_EQ(at(4, 4).x, 125.0f);
    EXPECT_FLOAT_EQ(at(4, 4).y, 120.0f);
    EXPECT_FLOAT_EQ(at(0, 0).u, 0.0f);
    EXPECT_FLOAT_EQ(at(8, 0).v, 1.0f);
    EXPECT_FLOAT_EQ(at(8, 0).u, 0.0f);
    EXPECT_FLOAT_EQ(at(0, 8).u, c.uEnd);
    EXPECT_FLOAT_EQ(at(0, 8).v, 0.0f);
    EXPECT_FLOAT_EQ(at(8, 8).u, c.uEnd);
    EXPECT_FLOAT_EQ(at(4, 0).v, 0.5f);
    EXPECT_EQ(fire.patternTexture.Get(), TextureOf(u"white.png"));
    EXPECT_EQ(fire.noiseTexture.Get(), TextureOf(u"gray.png"));
    ASSERT_TRUE(fire.effect) << "the library effect from the document";
  }
}

TEST_F(FireBrushTest, ZeroCornersGiveEightyOneIdenticalVertices) {
  DS_FireFX fire;
  fire.Load(nullptr);
  const std::vector<DX_V::PT> v = Vertices(fire.part);
  ASSERT_EQ(v.size(), 81u);
  for (const DX_V::PT& p : v) {
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
  }
}

TEST_F(FireBrushTest, ColourRampRunsFromColourBToColourA) {
  struct Case {
    DWORD a, b;
    float k1[3], k2[3];
  };
  const Case cases[] = {
      {0x00FFFF, 0x0000FF, {1, 0, 0}, {0, 1, 0}},                             // the defaults
      {0x336699, 0x336699, {0x99 / 255.f, 0x66 / 255.f, 0x33 / 255.f}, {0, 0, 0}},  // A = B
      {0x000000, 0xFFFFFF, {1, 1, 1}, {-1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a);
    DS_FireFX fire;
    UseTestPictures(fire);
    fire.colorA = c.a;
    fire.colorB = c.b;
    fire.Load(nullptr);
    DrawingLayer layer(256, 256);
    fire.Apply(layer);
    const std::vector<float> k1 = Values(fire.effect.Get(), "SetFloatArray ColorK1");
    const std::vector<float> k2 = Values(fire.effect.Get(), "SetFloatArray ColorK2");
    ASSERT_EQ(k1.size(), 3u);
    ASSERT_EQ(k2.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_FLOAT_EQ(k1[i], c.k1[i]) << i;
      EXPECT_FLOAT_EQ(k2[i], c.k2[i]) << i;
    }
  }
}

TEST_F(FireBrushTest, ApplySetsEveryParameterInOrderThenDrawsTheGrid) {
  DS_FireFX fire;
  UseTestPictures(fire);
  fire.Load(nullptr);
  fire.speed.accumulated = 10.0f;
  fire.mainFX = 1;  // does not change the technique
  g_View2D.mode = kFit;
  g_View2D.ratioX = 1.25f;
  g_View2D.ratioY = 0.8f;
  DrawingLayer layer(256, 256);
  layer.background.Set(TextureOf(u"red.png"));
  ID3DXEffect* effect = fire.effect.Get();
  const size_t before = CallCount(effect);
  fire.Apply(layer);
  const std::vector<SetCall> calls = SetCalls(effect, before);
  const std::vector<std::string> expected = {
      "SetMatrix WorldViewProj",  "SetMatrix ViewProj",        "SetTexture Noise",
      "SetTexture Pattern",       "SetFloatArray c11",         "SetFloatArray c12",
      "SetFloatArray c13",        "SetFloatArray ColorK1",     "SetFloatArray ColorK2",
      "SetFloatArray bg_scale_factor", "SetTexture Mask",      "SetTexture Background",
      "SetFloat Brightness",      "SetFloat Density",          "SetTechnique Main"};
  ASSERT_EQ(calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(calls[i].what, expected[i]) << i;
  EXPECT_EQ(calls[2].texture, TextureOf(u"gray.png"));
  EXPECT_EQ(calls[3].texture, TextureOf(u"white.png"));
  EXPECT_EQ(calls[4].values, (std::vector<float>{0.0f, 13.0f}));
  EXPECT_EQ(calls[5].values, (std::vector<float>{0.0f, 21.0f}));
  EXPECT_EQ(calls[6].values, (std::vector<float>{0.0f, 23.0f}));
  EXPECT_EQ(calls[9].values, (std::vector<float>{1.25f, 0.8f}));
  EXPECT_EQ(calls[10].texture, nullptr);
  EXPECT_EQ(calls[11].texture, TextureOf(u"red.png"));
  ExpectSingle(calls[12].values, 0.3f);
  ExpectSingle(calls[13].values, 0.0f);
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawGrid"});
  EXPECT_EQ(layer.grid, &fire.part);

  // In view mode 3 the background scale is (1, 1) whatever the fit.
  g_View2D.mode = kLayerTarget;
  fire.Apply(layer);
  EXPECT_EQ(Values(effect, "SetFloatArray bg_scale_factor"), (std::vector<float>{1.0f, 1.0f}));
}

TEST_F(FireBrushTest, MatricesComeFromTheViewWithTheGeometrysWorld) {
  DS_FireFX fire;
  fire.Load(nullptr);
  g_View2D.mode = kFit;
  D3DXMatrixTranslation(&g_View2D.fit, 3.0f, 4.0f, 0.0f);
  DS_Frame geometry;
  D3DXMatrixScaling(&geometry.world, 2.0f, 2.0f, 1.0f);
  fire.SetPartParameters(geometry);
  D3DXMATRIX expected;
  g_View2D.GetWorldViewProjection(&expected, geometry.world);
  const std::vector<float> wvp = Values(fire.effect.Get(), "SetMatrix WorldViewProj");
  ASSERT_EQ(wvp.size(), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(wvp[i], (&expected._11)[i]) << i;
  g_View2D.GetViewProjection(&expected);
  const std::vector<float> vp = Values(fire.effect.Get(), "SetMatrix ViewProj");
  ASSERT_EQ(vp.size(), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(vp[i], (&expected._11)[i]) << i;
}

TEST_F(FireBrushTest, ScaledValuesGiveDensityAndBrightness) {
  struct Case {
    UINT density, brightness;
    float d, b;
  };
  for (const Case& c : {Case{100, 15, 0.0f, 0.3f}, Case{150, 15, 0.5f, 0.3f}, Case{0, 50, -1.0f, 1.0f}}) {
    FireFields f;
    f.density = c.density;
    f.brightness = c.brightness;
    auto fire = ReadRegistered(FireRecord(2, f));
    ASSERT_TRUE(fire);
    fire->Load(nullptr);
    DrawingLayer layer(256, 256);
    fire->Apply(layer);
    ExpectSingle(Values(fire->effect.Get(), "SetFloat Density"), c.d);
    ExpectSingle(Values(fire->effect.Get(), "SetFloat Brightness"), c.b);
  }
}

TEST_F(FireBrushTest, WithoutEffectNothingIsSetOrDrawn) {
  DS_FireFX fire;
  fire.effectLink = Effect(u"absent.fx");
  fire.Load(nullptr);
  ASSERT_FALSE(fire.effect);
  DrawingLayer layer(256, 256);
  fire.Apply(layer);
  EXPECT_TRUE(layer.events.empty());
}

TEST_F(FireBrushTest, CloneAndAssignShareTexturesAndGridBuffers) {
  DS_FireFX fire;
  UseTestPictures(fire);
  fire.quad.corners[3] = D3DXVECTOR3(5, 6, 7);
  fire.colorA = 0x123456u;
  fire.storedInt2 = 4;
  fire.density.SetAndNotify(170);
  fire.Load(nullptr);
  IDirect3DVertexBuffer9* vb = fire.part.vertexBuffer.Get();
  IDirect3DIndexBuffer9* ib = fire.part.indexBuffer.Get();
  IDirect3DTexture9* pattern = fire.patternTexture.Get();
  const ULONG vbRefs = References(vb), ibRefs = References(ib), patternRefs = References(pattern);
  {
    std::unique_ptr<DS_FireFX> clone(static_cast<DS_FireFX*>(fire.Clone()));
    EXPECT_EQ(clone->part.vertexBuffer.Get(), vb);
    EXPECT_EQ(clone->part.indexBuffer.Get(), ib);
    EXPECT_EQ(clone->part.vertexCount, 81u);
    EXPECT_EQ(clone->part.triangleCount, 128u);
    EXPECT_EQ(clone->part.columns, 8);
    EXPECT_EQ(References(vb), vbRefs + 1);
    EXPECT_EQ(References(ib), ibRefs + 1);
    EXPECT_EQ(References(pattern), patternRefs + 1);
    EXPECT_FLOAT_EQ(clone->quad.corners[3].value.z, 7.0f);
    EXPECT_EQ(clone->colorA.value, 0x123456u);
    EXPECT_EQ(clone->storedInt2.value, 4);
    EXPECT_FLOAT_EQ(clone->density.derived, 0.7f);
  }
  EXPECT_EQ(References(vb), vbRefs);
  EXPECT_EQ(References(pattern), patternRefs);

  DS_FireFX target;
  target.Assign(fire);
  EXPECT_EQ(target.part.vertexBuffer.Get(), vb);
  EXPECT_EQ(References(vb), vbRefs + 1);
  EXPECT_EQ(target.patternTexture.Get(), pattern);
  EXPECT_FLOAT_EQ(target.density.derived, 0.7f);
  EXPECT_FLOAT_EQ(target.quad.corners[3].value.y, 6.0f);
  EXPECT_EQ(target.noiseLink.path, u"gray.png");
  target.Assign(target);
  EXPECT_EQ(References(vb), vbRefs + 1);
}

TEST_F(FireBrushTest, RenderObjectOfTheFireBrushDrawsItsGrid) {
  auto description = ReadRegistered(FireRecord(2));
  ASSERT_TRUE(description);
  std::unique_ptr<DS_ABObj> object(description->CreateObject());
  description.reset();
  object->Update(0.1f);
  DrawingLayer layer(256, 256);
  object->Render(layer);
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawGrid"});
  auto* fire = static_cast<DS_FireFX*>(object->Controller());
  EXPECT_FLOAT_EQ(fire->speed.accumulated, 0.1f);
  EXPECT_EQ(layer.grid, &fire->part);
}

// Through the device: a white pattern and grey noise give full-strength flames in colour A inside
// the grid; a density value of 0 (derived -1) leaves only the background.
TEST_F(FireBrushTest, FlamesCoverTheGridInColourAOrVanishWithoutDensity) {
  struct Case {
    UINT density;
    uint32_t inside;
  };
  for (const Case& c : {Case{100, 0xFFFF00u}, Case{0, 0x0000FFu}}) {
    SCOPED_TRACE(c.density);
    DS_FireFX fire;
    UseTestPictures(fire);
    const float corners[4][2] = {{64, 192}, {64, 64}, {192, 192}, {192, 64}};
    for (int i = 0; i < 4; ++i) fire.quad.corners[i] = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
    fire.density.SetAndNotify(c.density);
    fire.Load(nullptr);
    DrawingLayer layer(256, 256);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FFu, 1.0f, 0);
    device_->BeginScene();
    fire.Apply(layer);
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 256u * 256u);
    auto at = [&](int x, int y) { return pixels[size_t(y) * 256 + x]; };
    for (int x : {70, 128, 186})
      for (int y : {70, 128, 186}) EXPECT_EQ(at(x, y), c.inside) << x << "," << y;
    for (auto [x, y] : {std::pair{10, 10}, std::pair{128, 30}, std::pair{240, 128}}) EXPECT_EQ(at(x, y), 0x0000FFu);
    // The effect put the blend state back.
    DWORD blend = TRUE;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, DWORD{FALSE});
  }
}

// The mask's red scales the flames' alpha: a red mask keeps them, a blue one hides them.
TEST_F(FireBrushTest, MaskDecidesWhereFlamesShow) {
  struct Case {
    const char* label;
    const char16_t* mask;
    uint32_t inside;
  };
  const Case cases[] = {
      {"red", u"red.png", 0xFFFF00u}, {"grey", u"gray.png", 0x80807Fu}, {"green", u"green.png", 0x0000FFu}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DS_FireFX fire;
    UseTestPictures(fire);
    const float corners[4][2] = {{0, 256}, {0, 0}, {256, 256}, {256, 0}};
    for (int i = 0; i < 4; ++i) fire.quad.corners[i] = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
    ComHolder<IDirect3DTexture9> mask;
    mask.Set(TextureOf(c.mask));
    fire.Load(&mask);
    DrawingLayer layer(256, 256);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FFu, 1.0f, 0);
    device_->BeginScene();
    fire.Apply(layer);
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 256u * 256u);
    const uint32_t centre = pixels[128 * 256 + 128];
    EXPECT_NEAR(Red(centre), Red(c.inside), 2);
    EXPECT_NEAR(Green(centre), Green(c.inside), 2);
    EXPECT_NEAR(Blue(centre), Blue(c.inside), 2);
  }
}

}  // namespace
}  // namespace brush_test
