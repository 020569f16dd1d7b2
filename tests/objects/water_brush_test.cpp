// The water brush: its record, the values it computes for its effect each frame, the direction that
// follows the angle, its bump picture and what its effect draws.
#include "objects/water_brush.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "objects/brush_obj.h"
#include "screen_brush_fixture.h"
#include "tests/support/builder_stream.h"
#include "tests/support/effect_files.h"

namespace brush_test {
namespace {


constexpr float kPi = 3.14159265358979f;

struct WaterValues {
  uint32_t shape = 20, bumpRotation = 20, wave2 = 20, wave1 = 20, angle = 40, shadows = 0, height = 0;
  uint32_t color = 0xFFFFFF;
  std::u16string bumpPath = u"vaultkit.dll";
  int64_t bumpStamp = 89;
};

docbuild::Bytes WaterRecord(const WaterValues& v) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_WaterFX", 1).U32(v.shape).U32(v.bumpRotation).U32(v.wave2).U32(v.wave1).U32(v.angle);
  doc.U32(v.shadows).U32(v.height).U32(v.color).Link(v.bumpPath, v.bumpStamp);
  BrushBaseLevel(doc, 90, 50);
  return doc.Document();
}

// The screen brush fixture's device and helpers over a document of its own: the water effect as
// resource 90 of "vaultkit.dll" and a 4 x 4 mid-grey (flat) bump picture as resource 89.
class WaterFXTest : public ScreenBrushTest {
 protected:
  void SetUp() override {
    doc_res_test::DeviceTest::SetUp();
    g_Device = device_.Get();
    using docbuild::LibraryCopy;
    using doc_res_test::Png;
    const doc_res_test::Bytes effect = docbuild::EffectFile("water.fx");
    docbuild::DocumentBuilder doc;
    doc.DocResManager(3, {{u"vaultkit.dll", 89, {LibraryCopy(89, u"vaultkit.dll", Png(4, 4, 0x808080))}}}, {},
                      {{u"vaultkit.dll", 90, {LibraryCopy(90, u"vaultkit.dll", effect)}}}, {});
    bytes_ = doc.Document();
    ResourceBuffer buffer(bytes_.data(), bytes_.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ds_string name;
    DWORD version = 0;
    stream->ReadString(&name);
    stream->ReadULong(&version);
    manager_ = std::make_unique<DS_DocResManager>();
    SetCurrentDocResManager(manager_.get());
    ASSERT_TRUE(manager_->ReadTables(&stream, version));
  }

  static std::vector<float> Values(DS_WaterFX& brush, const std::string& what) {
    return LastSet(brush.effect.Get(), what).values;
  }
  static void ExpectValues(const std::vector<float>& actual, const std::vector<float>& expected, float tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "value " << i;
  }
  // Steps the scene clock from 0 to `seconds` in steps the brush clock takes whole.
  static void RunFor(DS_WaterFX& brush, float seconds) {
    brush.Update(0.0f);
    for (float t = 0.1f; t < seconds + 0.05f; t += 0.1f) brush.Update(std::fmin(t, seconds));
  }
};

TEST_F(WaterFXTest, DefaultsGiveTheDocumentedParameters) {
  DS_WaterFX brush;
  EXPECT_EQ(brush.effectLink.stamp, 90);
  EXPECT_EQ(brush.bumpLink.stamp, 89);
  EXPECT_FLOAT_EQ(brush.speed.derived, 1.0f);
  EXPECT_FLOAT_EQ(brush.zoom.derived, 0.6f);
  brush.Load(nullptr);
  ASSERT_TRUE(brush.effect);
  EXPECT_TRUE(brush.bumpTexture);
  DrawingLayer layer(256, 256);
  brush.Apply(layer);

  std::vector<std::string> order;
  for (const SetCall& call : SetCalls(brush.effect.Get())) order.push_back(call.what);
  const std::vector<std::string> expected = {
      "SetTexture BumpMap",      "SetFloatArray BampTrans", "SetFloatArray P1",     "SetFloatArray P2",
      "SetFloat Time",           "SetFloatArray Direction1", "SetFloatArray Direction2", "SetFloat Shadows",
      "SetFloatArray Vhalf",     "SetFloatArray Color",     "SetTechnique Main",    "SetFloatArray Scale",
      "SetTexture Mask",         "SetTexture Background"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(LastSet(brush.effect.Get(), "SetTexture BumpMap").texture, brush.bumpTexture.Get());
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});

  const float q = 999.0f;
  const float w = (q + std::sqrt(q)) / (q - 1.0f);
  EXPECT_NEAR(w, 1.03267f, 1e-5f);
  ExpectValues(Values(brush, "SetFloatArray P1"), {-0.998f, -1.0f, -0.998f}, 1e-6f);
  ExpectValues(Values(brush, "SetFloatArray P2"), {1.0f, w, 1.0f}, 1e-5f);
  const float cx = std::cos(40.0f * kPi / 180.0f), sy = std::sin(40.0f * kPi / 180.0f);
  ExpectValues(Values(brush, "SetFloatArray Direction1"), {-cx * 0.5f / 0.011f, -sy * 0.5f / 0.011f}, 1e-4f);
  ExpectValues(Values(brush, "SetFloatArray Direction2"), {-cx * 0.0025f, -sy * 0.0025f}, 1e-7f);
  const float root5 = std::sqrt(5.0f);
  ExpectValues(Values(brush, "SetFloatArray Vhalf"), {1.0f / root5, 2.0f / root5, 0.0f}, 1e-6f);
  ExpectValues(Values(brush, "SetFloatArray Color"), {1.0f, 1.0f, 1.0f}, 0.0f);
  ExpectValues(Values(brush, "SetFloat Shadows"), {0.0f}, 0.0f);
  // No update yet: no turn of the bump lookup, and the clock stands at 0.
  ExpectValues(Values(brush, "SetFloatArray BampTrans"), {0.0f, 0.0f, 0.0f, 0.0f}, 0.0f);
  ExpectValues(Values(brush, "SetFloat Time"), {0.0f}, 0.0f);
}

// phi = 4.5 radians per clock unit; "Time" is twice the clock; the clock value scales both.
TEST_F(WaterFXTest, ClockTurnsTheBumpLookupAndDrivesTime) {
  struct Case {
    UINT clock;
    UINT bumpRotation;
    float seconds;
    float c;  // clock units
    float k;
  };
  const Case cases[] = {
      {50, 20, 1.0f, 1.0f, 0.02f}, {50, 20, 2.5f, 2.5f, 0.02f}, {100, 20, 1.0f, 2.0f, 0.02f},
      {50, 300, 0.4f, 0.4f, 0.3f}, {0, 20, 1.0f, 0.0f, 0.02f},  // a stopped clock keeps the lookup straight
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "clock " << c.clock << " for " << c.seconds << " s");
    DS_WaterFX brush;
    brush.speed.SetAndNotify(c.clock);
    brush.bumpRotationScale.SetAndNotify(c.bumpRotation);
    brush.Load(nullptr);
    RunFor(brush, c.seconds);
    DrawingLayer layer(256, 256);
    brush.Apply(layer);
    const float phi = 4.5f * c.c;
    ExpectValues(Values(brush, "SetFloatArray BampTrans"),
                 {c.k * std::cos(phi), -c.k * std::sin(phi), c.k * std::sin(phi), c.k * std::cos(phi)}, 2e-5f);
    ExpectValues(Values(brush, "SetFloat Time"), {2.0f * c.c}, 1e-4f);
  }
}

// The angle itself turns the direction (0 degrees runs along +x, 90 along +y); the clone a slide
// draws computes it from the angle read.
TEST_F(WaterFXTest, AngleTurnsTheWaveDirections) {
  struct Case {
    UINT angle;
    float dx, dy;
  };
  const Case cases[] = {{0, 1, 0}, {90, 0, 1}, {180, -1, 0}, {270, 0, -1}, {400, 0.766044f, 0.642788f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    WaterValues v;
    v.angle = c.angle;
    v.wave1 = 998;  // s1 = 0.5: Direction1 = -D
    v.wave2 = 400;  // s2 = 0.1: Direction2 = -D x 0.05
    auto description = ReadRegistered<DS_WaterFX>(WaterRecord(v));
    ASSERT_TRUE(description);
    std::unique_ptr<DS_ABObj> object(description->CreateObject());
    auto* brush = static_cast<DS_WaterFX*>(object->Controller());
    DrawingLayer layer(256, 256);
    object->Render(layer);
    ExpectValues(Values(*brush, "SetFloatArray Direction1"), {-c.dx, -c.dy}, 1e-5f);
    ExpectValues(Values(*brush, "SetFloatArray Direction2"), {-0.05f * c.dx, -0.05f * c.dy}, 1e-6f);
  }
}

// A silently read angle leaves the default direction (40 degrees); a notified one recomputes it at
// once. A copy observes its own angle and starts without bump texture or bump turn.
TEST_F(WaterFXTest, NotifiedAngleRecomputesAndCopiesKeepTheirOwn) {
  WaterValues v;
  v.angle = 90;
  auto brush = ReadRegistered<DS_WaterFX>(WaterRecord(v));
  ASSERT_TRUE(brush);
  EXPECT_NEAR(brush->direction.x, std::cos(40.0f * kPi / 180.0f), 1e-6f);
  brush->angle.SetAndNotify(180);
  EXPECT_NEAR(brush->direction.x, -1.0f, 1e-6f);
  brush->shadows.SetAndNotify(5);  // other properties leave the direction alone
  brush->angle.value = 0;
  brush->shadows.SetAndNotify(6);
  EXPECT_NEAR(brush->direction.x, -1.0f, 1e-6f);

  brush->angle.SetAndNotify(90);
  brush->Load(nullptr);
  RunFor(*brush, 0.2f);
  ASSERT_TRUE(brush->bumpTexture);
  std::unique_ptr<DS_WaterFX> copy(static_cast<DS_WaterFX*>(brush->Clone()));
  EXPECT_FALSE(copy->bumpTexture);
  EXPECT_EQ(copy->bumpTransform[0], 0.0f);
  EXPECT_EQ(copy->bumpLink.stamp, 89);
  EXPECT_EQ(copy->shadows.value, 6u);
  EXPECT_NEAR(copy->direction.y, 1.0f, 1e-6f);
  brush->angle.SetAndNotify(0);
  EXPECT_NEAR(copy->direction.y, 1.0f, 1e-6f);
  brush.reset();
  copy->angle.SetAndNotify(270);
  EXPECT_NEAR(copy->direction.y, -1.0f, 1e-6f);
}

// Colour bytes are 0x00BBGGRR; the shape value fixes P1 and w, up to the values no stored brush uses
// (a = 1 divides by zero, a > 2 takes the root of a negative number) which must still draw.
TEST_F(WaterFXTest, ColourAndShapeValues) {
  struct Case {
    UINT shape;
    DWORD color;
    float a;
    std::vector<float> rgb;
  };
  const Case cases[] = {
      {20, 0x0000FF, 0.002f, {1, 0, 0}},
      {5000, 0x804020, 0.5f, {0x20 / 255.0f, 0x40 / 255.0f, 0x80 / 255.0f}},
      {10000, 0xFF0000, 1.0f, {0, 0, 1}},
      {30000, 0x00FF00, 3.0f, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    DS_WaterFX brush;
    brush.shape.SetAndNotify(c.shape);
    brush.color.value = c.color;
    brush.Load(nullptr);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(1, 1, [](UINT, UINT) { return 0xFFFFFFu; });
    const std::vector<uint32_t> pixels = Draw(brush, layer);
    ExpectValues(Values(brush, "SetFloatArray Color"), c.rgb, 1e-6f);
    const std::vector<float> p1 = Values(brush, "SetFloatArray P1");
    ExpectValues(p1, {c.a - 1.0f, -1.0f, c.a - 1.0f}, 1e-6f);
    const float w = Values(brush, "SetFloatArray P2").at(1);
    const float q = 2.0f / c.a - 1.0f;
    if (c.shape == 10000)
      EXPECT_TRUE(std::isinf(w));
    else if (c.shape == 30000)
      EXPECT_TRUE(std::isnan(w));
    else
      EXPECT_NEAR(w, (q + std::sqrt(q)) / (q - 1.0f), 1e-5f);
    // White seen through the tint.
    const uint32_t centre = At(pixels, 128, 128);
    EXPECT_NEAR(Red(centre), 255 * c.rgb[0], 1.0);
    EXPECT_NEAR(Green(centre), 255 * c.rgb[1], 1.0);
    EXPECT_NEAR(Blue(centre), 255 * c.rgb[2], 1.0);
  }
}

TEST_F(WaterFXTest, RecordRoundTripsAndTruncationFails) {
  WaterValues v{120, 40, 80, 60, 33, 25, 7, 0x123456, u"ripples.png", 4};
  const docbuild::Bytes whole = WaterRecord(v);
  auto brush = ReadRegistered<DS_WaterFX>(whole);
  ASSERT_TRUE(brush);
  EXPECT_FLOAT_EQ(brush->shape.derived, 0.012f);
  EXPECT_FLOAT_EQ(brush->bumpRotationScale.derived, 0.04f);
  EXPECT_FLOAT_EQ(brush->wave2Scale.derived, 0.02f);
  EXPECT_FLOAT_EQ(brush->wave1Scale.derived, 0.031f);
  EXPECT_EQ(brush->angle.value, 33u);
  EXPECT_FLOAT_EQ(brush->shadows.derived, 0.25f);
  EXPECT_FLOAT_EQ(brush->halfVectorHeight.derived, 0.7f);
  EXPECT_EQ(brush->color.value, 0x123456u);
  EXPECT_EQ(brush->bumpLink.path, u"ripples.png");
  EXPECT_EQ(brush->bumpLink.stamp, 4);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(brush->Save(&stream));
  EXPECT_EQ(out.doc.Document(), whole);
  // Inside the header, the scaled values, the colour, the link and the base record.
  for (size_t length : {size_t(18), size_t(40), size_t(60), size_t(75), whole.size() - 2}) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(ReadRegistered<DS_WaterFX>(docbuild::Truncated(whole, length)));
  }
}

// A bump link that gives no picture leaves a null bump texture: the surface draws flat, the picture
// shows unchanged.
TEST_F(WaterFXTest, MissingBumpPictureDrawsFlat) {
  DS_WaterFX brush;
  brush.bumpLink = DS_FileLink3::ConstructFromSnapshot(u"nowhere.png", 1);
  brush.bumpRotationScale.SetAndNotify(400);
  brush.Load(nullptr);
  EXPECT_FALSE(brush.bumpTexture);
  RunFor(brush, 0.3f);
  DrawingLayer layer(256, 256);
  layer.background = MakePicture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFF0000u : 0x0000FFu; });
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  EXPECT_EQ(LastSet(brush.effect.Get(), "SetTexture BumpMap").texture, nullptr);
  EXPECT_EQ(At(pixels, 100, 128), 0xFF0000u);
  EXPECT_EQ(At(pixels, 156, 128), 0x0000FFu);
}

// Through the device: a bump slope turned by the bump transform moves the lookup (at clock 0 the
// transform is k x identity, so a slope along +u reads the picture k further right); shadows darken
// where the surface turns away from the light.
TEST_F(WaterFXTest, BumpSlopeMovesTheLookupAndShadowsDarken) {
  {
    DS_WaterFX brush;
    brush.bumpRotationScale.SetAndNotify(200);  // k = 0.2
    brush.Load(nullptr);
    brush.bumpTexture = MakePicture(1, 1, [](UINT, UINT) { return 0xFF8080u; });  // slope +u
    RunFor(brush, 0.0f);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFF0000u : 0x0000FFu; });
    const std::vector<uint32_t> pixels = Draw(brush, layer);
    EXPECT_EQ(At(pixels, 100, 128), 0x0000FFu);  // u 0.39 reads 0.59
    EXPECT_EQ(At(pixels, 60, 128), 0xFF0000u);   // u 0.23 reads 0.43
  }
  // Shadows darken a slope by how far it turns away from the light, (1, 2) in the plane: a slope
  // along -u turns away by 1 / sqrt 5 of a full turn. A flat surface keeps its colour whatever the
  // shadows, and so does a slope facing the light.
  struct Case {
    UINT shadows;
    uint32_t bump;
    int grey;
  };
  const uint32_t kFlat = 0x808080u, kAway = 0x008080u, kFacing = 0xFF8080u;
  for (const Case& c : {Case{0, kAway, 255}, Case{100, kFlat, 255}, Case{50, kFlat, 255}, Case{100, kAway, 141},
                        Case{50, kAway, 198}, Case{100, kFacing, 255}}) {
    SCOPED_TRACE(testing::Message() << "shadows " << c.shadows << " bump " << std::hex << c.bump);
    DS_WaterFX brush;
    brush.shadows.SetAndNotify(c.shadows);
    brush.bumpRotationScale.SetAndNotify(200);
    brush.Load(nullptr);
    brush.bumpTexture = MakePicture(1, 1, [&](UINT, UINT) { return c.bump; });
    RunFor(brush, 0.0f);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(1, 1, [](UINT, UINT) { return 0xFFFFFFu; });
    const uint32_t centre = At(Draw(brush, layer), 128, 128);
    EXPECT_NEAR(Red(centre), c.grey, 3);
    EXPECT_NEAR(Blue(centre), c.grey, 3);
  }
}

// The light's height (the z of "Vhalf") weakens the shadows: the higher the light stands over the
// water, the less a slope turned away from it darkens (a slope along -u under full shadows).
TEST_F(WaterFXTest, AHigherLightDarkensTheSlopesLess) {
  struct Case {
    UINT height;  // tenths: the half vector is (1, 2, height / 10) normalised
    int grey;
  };
  for (const Case& c : {Case{0, 141}, Case{20, 171}, Case{100, 230}}) {
    SCOPED_TRACE(c.height);
    DS_WaterFX brush;
    brush.shadows.SetAndNotify(100);
    brush.halfVectorHeight.SetAndNotify(c.height);
    brush.bumpRotationScale.SetAndNotify(200);
    brush.Load(nullptr);
    brush.bumpTexture = MakePicture(1, 1, [](UINT, UINT) { return 0x008080u; });
    RunFor(brush, 0.0f);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(1, 1, [](UINT, UINT) { return 0xFFFFFFu; });
    const uint32_t centre = At(Draw(brush, layer), 128, 128);
    EXPECT_NEAR(Red(centre), c.grey, 3);
    EXPECT_NEAR(Blue(centre), c.grey, 3);
  }
}

}  // namespace
}  // namespace brush_test
