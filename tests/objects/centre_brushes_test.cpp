// The brushes that work about a centre point: the expand swing, the radial waves' parameters, the
// rotation's coordinate transform, their records, and what their effects draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "objects/brush_obj.h"
#include "objects/expand_fx.h"
#include "objects/radial_wave_fx.h"
#include "objects/rotation_fx.h"
#include "document/device.h"
#include "screen_brush_fixture.h"
#include "slideshow/view_2d.h"
#include "tests/support/builder_stream.h"
#include "tests/support/effect_files.h"

namespace brush_test {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int64_t kRotationEffectId = 110;

const char kRotationEffect[] =
    "copperleaf-effect 1\nparameter float2 Scale 1 1\nparameter texture Mask\nparameter texture Background\n"
    "parameter float4 coord_transf 1 0 0 1\nparameter float2 offset\n"
    "technique Main\npass P0\nprogram turned_background\nsampler 0 Background\nsampler 1 Mask\n"
    "technique MainFX\npass P0\nprogram turned_background\nsampler 0 Background\nsampler 1 Mask\n";

void CentreLevel(docbuild::DocumentBuilder& doc, float x, float y, float z, int64_t effectId, uint32_t speed) {
  doc.Header(u"DS_CentralBased", 1).F32(x).F32(y).F32(z);
  BrushBaseLevel(doc, effectId, speed);
}

docbuild::Bytes ExpandRecord(uint32_t outer, uint32_t inner, int32_t sine) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_ExpandFX", 1).U32(outer).U32(inner).I32(sine);
  CentreLevel(doc, 100.0f, 150.0f, 7.0f, 102, 50);
  return doc.Document();
}

docbuild::Bytes RotationRecord(uint32_t aspect, uint32_t angle, int32_t reverse, uint32_t speed) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_RotationFX", 1).U32(aspect).U32(angle).I32(reverse);
  CentreLevel(doc, 128.0f, 128.0f, 0.0f, kRotationEffectId, speed);
  return doc.Document();
}

class CentreBrushTest : public ScreenBrushTest {
 protected:
  void SetUp() override {
    ScreenBrushTest::SetUp();
    saved_ = g_LayerView;
    SetPicture(800, 600);
    // A document of this fixture's own: the three centre-based effects.
    using docbuild::EffectFile;
  using docbuild::LibraryCopy;
    auto text = [](const char* s) { return doc_res_test::Bytes(s, s + std::strlen(s)); };
    docbuild::DocumentBuilder doc;
    doc.DocResManager(3, {}, {},
                      {{u"vaultkit.dll", 102, {LibraryCopy(102, u"vaultkit.dll", EffectFile("expand.fx"))}},
                       {u"vaultkit.dll", 103, {LibraryCopy(103, u"vaultkit.dll", EffectFile("radial_waves.fx"))}},
                       {u"vaultkit.dll",
                        kRotationEffectId,
                        {LibraryCopy(int32_t(kRotationEffectId), u"vaultkit.dll", text(kRotationEffect))}}},
                      {});
    bytes_ = doc.Document();
    ResourceBuffer buffer(bytes_.data(), bytes_.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ds_string name;
    DWORD version = 0;
    stream->ReadString(&name);
    stream->ReadULong(&version);
    SetCurrentDocResManager(nullptr);
    manager_ = std::make_unique<DS_DocResManager>();
    SetCurrentDocResManager(manager_.get());
    ASSERT_TRUE(manager_->ReadTables(&stream, version));
  }
  void TearDown() override {
    g_LayerView = saved_;
    ScreenBrushTest::TearDown();
  }
  static void SetPicture(int w, int h) {
    g_LayerView.pictureWidth = w;
    g_LayerView.pictureHeight = h;
  }
  static std::vector<float> Values(DS_FX_Constructor& brush, const std::string& what) {
    return LastSet(brush.effect.Get(), what).values;
  }
  static void ExpectFloats(const std::vector<float>& values, const std::vector<float>& expected, float tolerance) {
    ASSERT_EQ(values.size(), expected.size());
    for (size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], expected[i], tolerance) << "value " << i;
  }
  // Puts the brush's clock at `c` and lets Update recompute from it (a zero step).
  static void ClockAt(DS_FX_Constructor& brush, float c) {
    brush.speed.accumulated = c;
    brush.speed.last = 0.0f;
    brush.Update(0.0f);
  }

  LayerView saved_;
};

// The swing runs between -inner and outer; the triangle is -1 at the start of a period and +1 half
// way through, the sine starts in the middle.
TEST_F(CentreBrushTest, ExpandSwingFollowsTheClock) {
  struct Case {
    int sine;
    UINT inner;
    float c;
    float swing;
  };
  const Case cases[] = {
      {0, 0, 0.0f, 0.0f},      {0, 0, kPi / 2, 0.125f},     {0, 0, kPi, 0.25f},
      {0, 0, 2 * kPi, 0.0f},   {0, 0, 3 * kPi, 0.25f},      {1, 0, 0.0f, 0.125f},
      {1, 0, kPi / 2, 0.25f},  {1, 0, 3 * kPi / 2, 0.0f},   {0, 20, 0.0f, -0.1f},
      {0, 20, kPi, 0.25f},     {1, 20, 3 * kPi / 2, -0.1f}, {0, 0, -kPi / 2, 0.125f},  // a clock before 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sine " << c.sine << " inner " << c.inner << " clock " << c.c);
    DS_ExpandFX brush;
    brush.sine = c.sine;
    brush.inner.SetAndNotify(c.inner);
    brush.Load(nullptr);
    ASSERT_TRUE(brush.effect);
    ClockAt(brush, c.c);
    EXPECT_NEAR(brush.swing, c.swing, 1e-5f);
    DrawingLayer layer(256, 256);
    brush.Apply(layer);
    // A push shows as the first value, a pull as the second; never both.
    const std::vector<float> amplitude = Values(brush, "SetFloatArray amplitude");
    ExpectFloats(amplitude, {std::max(c.swing, 0.0f), std::max(-c.swing, 0.0f)}, 1e-5f);
  }
}

TEST_F(CentreBrushTest, ExpandDefaultsAndCallOrder) {
  DS_ExpandFX brush;
  EXPECT_EQ(brush.effectLink.stamp, 102);
  EXPECT_FLOAT_EQ(brush.speed.derived, 1.0f);
  EXPECT_FLOAT_EQ(brush.outer.derived, 0.25f);
  EXPECT_FLOAT_EQ(brush.inner.derived, 0.0f);
  // The centre starts in the middle of the layer picture of the moment.
  EXPECT_FLOAT_EQ(brush.centre.value.x, 400.0f);
  EXPECT_FLOAT_EQ(brush.centre.value.y, 300.0f);
  EXPECT_FLOAT_EQ(brush.centre.value.z, 0.0f);
  brush.Load(nullptr);
  DrawingLayer layer(256, 256);
  // One second of scene time in five steps: the clock reaches 1.
  for (float t : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f}) brush.Update(t);
  EXPECT_NEAR(brush.speed.accumulated, 1.0f, 1e-5f);
  brush.Apply(layer);
  std::vector<std::string> order;
  for (const SetCall& call : SetCalls(brush.effect.Get())) order.push_back(call.what);
  const std::vector<std::string> expected = {"SetFloatArray amplitude", "SetFloatArray center", "SetTechnique Main",
                                             "SetFloatArray Scale", "SetTexture Mask", "SetTexture Background"};
  EXPECT_EQ(order, expected);
  ExpectFloats(Values(brush, "SetFloatArray center"), {0.5f, 0.5f}, 1e-6f);
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
}

// "center" is the centre over the layer picture's size of the moment; a picture of size 0 gives the
// middle instead of an infinite value, and the rotation's "offset" is the negated centre.
TEST_F(CentreBrushTest, CentreAsAFractionOfThePicture) {
  struct Case {
    int w, h;
    float x, y;
    float u, v;
  };
  const Case cases[] = {
      {800, 600, 400, 300, 0.5f, 0.5f},
      {800, 600, 200, 450, 0.25f, 0.75f},
      {400, 300, 800, 0, 2.0f, 0.0f},  // outside the picture is kept as it is
      {0, 0, 200, 450, 0.5f, 0.5f},
      {0, 600, 200, 150, 0.5f, 0.25f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " centre " << c.x << ", " << c.y);
    SetPicture(c.w, c.h);
    DrawingLayer layer(256, 256);
    DS_ExpandFX expand;
    DS_RadialWaveFX waves;
    DS_RotationFX rotation;
    rotation.effectLink = DS_FileLink3::ConstructFromResource(int32_t(kRotationEffectId), u"vaultkit.dll");
    for (DS_CentralBased* brush : {static_cast<DS_CentralBased*>(&expand), static_cast<DS_CentralBased*>(&waves),
                                   static_cast<DS_CentralBased*>(&rotation)}) {
      brush->centre = D3DXVECTOR3(c.x, c.y, 3.0f);
      brush->Load(nullptr);
      ASSERT_TRUE(brush->effect);
      brush->Apply(layer);
    }
    ExpectFloats(Values(expand, "SetFloatArray center"), {c.u, c.v}, 1e-6f);
    ExpectFloats(Values(waves, "SetFloatArray center"), {c.u, c.v}, 1e-6f);
    ExpectFloats(Values(rotation, "SetFloatArray offset"), {-c.u, -c.v}, 1e-6f);
  }
}

TEST_F(CentreBrushTest, RadialWaveParametersOnAWidePicture) {
  struct Case {
    UINT ringScale;
    int outward;
    UINT w, h;
    float scaleY;
    float time;
  };
  const Case cases[] = {
      {50, 0, 800, 600, 0.75f, -4.0f},
      {50, 1, 800, 600, 0.75f, 4.0f},
      {50, 7, 600, 800, 4.0f / 3.0f, 4.0f},
      {125, 0, 800, 600, 0.375f, -4.0f},  // ring scale 150: rings twice as tall as round
      {50, 0, 0, 0, 1.0f, -4.0f},         // no picture: no aspect
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " ring " << c.ringScale << " outward " << c.outward);
    DS_RadialWaveFX brush;
    EXPECT_EQ(brush.effectLink.stamp, 103);
    brush.ringScale.SetAndNotify(c.ringScale);
    brush.outward = c.outward;
    brush.Load(nullptr);
    ASSERT_TRUE(brush.effect);
    // One second at 50 clock units per second.
    for (float t : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f}) brush.Update(t);
    DrawingLayer layer(c.w, c.h);
    brush.Apply(layer);
    ExpectFloats(Values(brush, "SetFloatArray bg_scale_factor"), {1.0f, c.scaleY}, 1e-6f);
    EXPECT_NEAR(Values(brush, "SetFloat frequency").at(0), 1.0f / 0.006f, 1e-2f);
    EXPECT_FLOAT_EQ(Values(brush, "SetFloat amplitude").at(0), 0.0125f);
    EXPECT_NEAR(Values(brush, "SetFloat time").at(0), c.time, 1e-4f);
    std::vector<std::string> order;
    for (const SetCall& call : SetCalls(brush.effect.Get())) order.push_back(call.what);
    const std::vector<std::string> expected = {"SetFloatArray bg_scale_factor", "SetFloatArray center",
                                               "SetFloat frequency", "SetFloat amplitude", "SetFloat time"};
    ASSERT_GE(order.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 5), expected);
  }
}

// Version 1 carries only the centre and the brush base; the wave fields keep their defaults, and the
// brush writes itself back as version 2.
TEST_F(CentreBrushTest, RadialWaveRecordVersions) {
  docbuild::DocumentBuilder v1;
  v1.Header(u"DS_RadialWaveFX", 1);
  CentreLevel(v1, 10.0f, 20.0f, 30.0f, 103, 60);
  auto old = ReadRegistered<DS_RadialWaveFX>(v1.Document());
  ASSERT_TRUE(old);
  EXPECT_FLOAT_EQ(old->amplitude.derived, 0.0125f);
  EXPECT_FLOAT_EQ(old->frequency.derived, 0.006f);
  EXPECT_FLOAT_EQ(old->ringScale.derived, 75.0f);
  EXPECT_EQ(old->outward.value, 0);
  EXPECT_FLOAT_EQ(old->centre.value.x, 10.0f);
  EXPECT_FLOAT_EQ(old->centre.value.y, 20.0f);
  EXPECT_FLOAT_EQ(old->centre.value.z, 30.0f);
  EXPECT_EQ(old->speed.value, 60u);

  auto v2 = [](uint32_t amplitude, uint32_t frequency, uint32_t ring, int32_t outward) {
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_RadialWaveFX", 2).U32(amplitude).U32(frequency).U32(ring).I32(outward);
    CentreLevel(doc, 10.0f, 20.0f, 30.0f, 103, 60);
    return doc.Document();
  };
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(old->Save(&stream));
  EXPECT_EQ(out.doc.Document(), v2(50, 50, 50, 0));

  auto brush = ReadRegistered<DS_RadialWaveFX>(v2(200, 90, 0, 1));
  ASSERT_TRUE(brush);
  EXPECT_FLOAT_EQ(brush->amplitude.derived, 0.05f);
  EXPECT_FLOAT_EQ(brush->frequency.derived, 0.01f);
  EXPECT_FLOAT_EQ(brush->ringScale.derived, 25.0f);
  EXPECT_EQ(brush->outward.value, 1);
  const docbuild::Bytes whole = v2(200, 90, 0, 1);
  for (size_t length : {size_t(30), size_t(60), whole.size() - 1}) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(ReadRegistered<DS_RadialWaveFX>(docbuild::Truncated(whole, length)));
  }
}

TEST_F(CentreBrushTest, ExpandAndRotationRecordsRoundTrip) {
  auto expand = ReadRegistered<DS_ExpandFX>(ExpandRecord(80, 20, 1));
  ASSERT_TRUE(expand);
  EXPECT_FLOAT_EQ(expand->outer.derived, 0.4f);
  EXPECT_FLOAT_EQ(expand->inner.derived, 0.1f);
  EXPECT_EQ(expand->sine.value, 1);
  EXPECT_FLOAT_EQ(expand->centre.value.y, 150.0f);
  EXPECT_FLOAT_EQ(expand->centre.value.z, 7.0f);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(expand->Save(&stream));
  EXPECT_EQ(out.doc.Document(), ExpandRecord(80, 20, 1));

  auto rotation = ReadRegistered<DS_RotationFX>(RotationRecord(1500, 30, 1, 200));
  ASSERT_TRUE(rotation);
  EXPECT_FLOAT_EQ(rotation->aspect.derived, 1.5f);
  EXPECT_EQ(rotation->angle.value, 30u);
  EXPECT_EQ(rotation->reverse.value, 1);
  EXPECT_FLOAT_EQ(rotation->speed.derived, 1.0f);
  EXPECT_EQ(rotation->effectLink.stamp, kRotationEffectId);
  docbuild::BuilderStream out2;
  stream = &out2;
  ASSERT_TRUE(rotation->Save(&stream));
  EXPECT_EQ(out2.doc.Document(), RotationRecord(1500, 30, 1, 200));

  for (const docbuild::Bytes& whole : {ExpandRecord(80, 20, 1), RotationRecord(1500, 30, 1, 200)})
    for (size_t length : {size_t(20), size_t(40), whole.size() - 3}) {
      SCOPED_TRACE(length);
      EXPECT_FALSE(ReadRegistered<DS_ABObj_Constructor>(docbuild::Truncated(whole, length)));
    }
}

// R = RotationZ(r) with R12 x s and R21 / s, conjugated by the angle: at 90 degrees the stretch
// moves from x to y. An aspect of 0 turns unstretched rather than dividing by zero.
TEST_F(CentreBrushTest, RotationCoordTransform) {
  struct Case {
    UINT aspect;
    UINT angle;
    float r;
    float m11, m12, m21, m22;
  };
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  const Case cases[] = {
      {1000, 0, 0.5f, c, s, -s, c},          {2000, 0, 0.5f, c, 2 * s, -s / 2, c},
      {2000, 90, 0.5f, c, s / 2, -2 * s, c}, {2000, 180, 0.5f, c, 2 * s, -s / 2, c},
      {2000, 0, -0.5f, c, -2 * s, s / 2, c}, {0, 0, 0.5f, c, s, -s, c},
      {500, 450, 0.5f, c, 2 * s, -s / 2, c},  // beyond a turn, and a squeeze
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "aspect " << k.aspect << " angle " << k.angle << " r " << k.r);
    DS_RotationFX brush;
    brush.aspect.SetAndNotify(k.aspect);
    brush.angle = k.angle;
    brush.rotation = k.r;
    float m[4];
    brush.CoordTransform(m);
    ExpectFloats({m[0], m[1], m[2], m[3]}, {k.m11, k.m12, k.m21, k.m22}, 1e-5f);
  }
}

TEST_F(CentreBrushTest, RotationFollowsTheClock) {
  struct Case {
    uint32_t speed;
    int reverse;
    float rotation;  // after one second
  };
  for (const Case& c : {Case{0, 0, 0.0f}, Case{0, 1, 0.0f}, Case{200, 0, 1.0f}, Case{200, 3, -1.0f}}) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " reverse " << c.reverse);
    auto description = ReadRegistered<DS_RotationFX>(RotationRecord(1000, 0, c.reverse, c.speed));
    ASSERT_TRUE(description);
    std::unique_ptr<DS_ABObj> object(description->CreateObject());
    auto* brush = static_cast<DS_RotationFX*>(object->Controller());
    for (float t : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f}) brush->Update(t);
    EXPECT_NEAR(brush->rotation, c.rotation, 1e-5f);
    brush->Load(nullptr);
    DrawingLayer layer(256, 256);
    brush->Apply(layer);
    ExpectFloats(Values(*brush, "SetFloatArray coord_transf"),
                 {std::cos(c.rotation), std::sin(c.rotation), -std::sin(c.rotation), std::cos(c.rotation)}, 1e-5f);
  }
}

// A clone keeps the swing and the rotation it was made with, and the centre.
TEST_F(CentreBrushTest, ClonesKeepTheCurrentValues) {
  DS_ExpandFX expand;
  expand.centre = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
  ClockAt(expand, kPi);
  std::unique_ptr<DS_ExpandFX> expandCopy(static_cast<DS_ExpandFX*>(expand.Clone()));
  EXPECT_FLOAT_EQ(expandCopy->swing, expand.swing);
  EXPECT_FLOAT_EQ(expandCopy->centre.value.z, 3.0f);
  DS_RotationFX rotation;
  rotation.aspect.SetAndNotify(1200);
  rotation.rotation = 0.7f;
  std::unique_ptr<DS_RotationFX> rotationCopy(static_cast<DS_RotationFX*>(rotation.Clone()));
  EXPECT_FLOAT_EQ(rotationCopy->rotation, 0.7f);
  EXPECT_FLOAT_EQ(rotationCopy->aspect.derived, 1.2f);
}

// Through the device, a 256 x 256 picture with a red square in the middle (64..191) on blue.
class CentreBrushPixelTest : public CentreBrushTest {
 protected:
  void SetUp() override {
    CentreBrushTest::SetUp();
    SetPicture(256, 256);
  }
  ComHolder<IDirect3DTexture9> Square() {
    return MakePicture(256, 256, [](UINT x, UINT y) {
      return x >= 64 && x < 192 && y >= 64 && y < 192 ? 0xFF0000u : 0x0000FFu;
    });
  }
};

// A push grows the square about the centre, a pull shrinks it; the centre stays where it is.
TEST_F(CentreBrushPixelTest, ExpandGrowsAndShrinksTheSquare) {
  struct Case {
    float swing;
    uint32_t at56, at72;
  };
  for (const Case& c : {Case{0.0f, 0x0000FFu, 0xFF0000u}, Case{0.25f, 0xFF0000u, 0xFF0000u},
                        Case{-0.25f, 0x0000FFu, 0x0000FFu}}) {
    SCOPED_TRACE(c.swing);
    DS_ExpandFX brush;
    brush.Load(nullptr);
    brush.swing = c.swing;
    DrawingLayer layer(256, 256);
    layer.background = Square();
    const std::vector<uint32_t> pixels = Draw(brush, layer);
    EXPECT_EQ(At(pixels, 56, 128), c.at56);
    EXPECT_EQ(At(pixels, 72, 128), c.at72);
    EXPECT_EQ(At(pixels, 128, 128), 0xFF0000u);
    EXPECT_EQ(At(pixels, 4, 4), 0x0000FFu);
  }
}

// Half a turn about a centre off the middle moves the square: turned about (96, 128), the red that
// was at x 64..191 lies at x 0..127.
TEST_F(CentreBrushPixelTest, RotationTurnsAboutTheCentre) {
  auto brush = ReadRegistered<DS_RotationFX>(RotationRecord(1000, 0, 0, 0));
  ASSERT_TRUE(brush);
  brush->centre = D3DXVECTOR3(96.0f, 128.0f, 0.0f);
  brush->Load(nullptr);
  ASSERT_TRUE(brush->effect);
  brush->rotation = kPi;
  DrawingLayer layer(256, 256);
  layer.background = Square();
  const std::vector<uint32_t> pixels = Draw(*brush, layer);
  EXPECT_EQ(At(pixels, 20, 128), 0xFF0000u);
  EXPECT_EQ(At(pixels, 150, 128), 0x0000FFu);
  EXPECT_EQ(At(pixels, 96, 128), 0xFF0000u);
  // Unturned, the picture shows as it is.
  brush->rotation = 0.0f;
  const std::vector<uint32_t> plain = Draw(*brush, layer);
  EXPECT_EQ(At(plain, 20, 128), 0x0000FFu);
  EXPECT_EQ(At(plain, 150, 128), 0xFF0000u);
}

// The rings move the lookup along the line from the centre: with a wave that pushes the lookup
// outward near the square's edge, the edge moves inward; the centre pixel never moves.
TEST_F(CentreBrushPixelTest, RadialWavesMoveTheSquaresEdge) {
  DS_RadialWaveFX brush;
  brush.amplitude.SetAndNotify(200);  // 0.05 of the picture
  brush.frequency.SetAndNotify(990);  // derived 0.1: phase 10 x r - time
  brush.Load(nullptr);
  DrawingLayer layer(256, 256);
  layer.background = Square();
  // The time that puts a crest (sin = -1) at r = 0.24 (inward rings: time = -0.08 x clock).
  brush.speed.accumulated = (2.4f + kPi / 2) / -0.08f;
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  // uv 0.26 from the left edge: r = 0.24, the lookup moved 0.05 outward to 0.21 (blue).
  EXPECT_EQ(At(pixels, 67, 128), 0x0000FFu);
  EXPECT_EQ(At(pixels, 128, 128), 0xFF0000u);
  EXPECT_EQ(At(pixels, 4, 4), 0x0000FFu);
  // Between two crests the water is calm: half a turn later the edge (r = 0.25) is where it was.
  brush.speed.accumulated = (2.5f + kPi / 2 + kPi) / -0.08f;
  const std::vector<uint32_t> calm = Draw(brush, layer);
  EXPECT_EQ(At(calm, 63, 128), 0x0000FFu);
  EXPECT_EQ(At(calm, 64, 128), 0xFF0000u);
}

}  // namespace
}  // namespace brush_test
