// The waves brush: its record, the direction vectors that follow the angle and reverse setting, the
// parameters it sets and the wave its effect draws.
#include "objects/waves_fx.h"

#include <gtest/gtest.h>

#include "objects/brush_obj.h"
#include "screen_brush_fixture.h"
#include "tests/support/builder_stream.h"

namespace brush_test {
namespace {

docbuild::Bytes WavesRecord(uint32_t amplitude, uint32_t frequency, uint32_t angle, int32_t reverse) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_WavesFX", 1).U32(amplitude).U32(frequency).U32(angle).I32(reverse);
  BrushBaseLevel(doc, 77, 25);
  return doc.Document();
}

class WavesFXTest : public ScreenBrushTest {
 protected:
  static std::vector<float> Values(DS_WavesFX& brush, const std::string& what) {
    return LastSet(brush.effect.Get(), what).values;
  }
  static void ExpectPair(const std::vector<float>& values, float x, float y) {
    ASSERT_EQ(values.size(), 2u);
    EXPECT_NEAR(values[0], x, 1e-6f);
    EXPECT_NEAR(values[1], y, 1e-6f);
  }
};

TEST_F(WavesFXTest, DefaultsSetFrequencyAmplitudeAndTime) {
  DS_WavesFX brush;
  EXPECT_EQ(brush.effectLink.stamp, 77);
  EXPECT_FLOAT_EQ(brush.speed.derived, 25.0f);
  EXPECT_FLOAT_EQ(brush.amplitude.derived, 0.0125f);
  EXPECT_FLOAT_EQ(brush.frequency.derived, 0.026f);
  brush.Load(nullptr);
  ASSERT_TRUE(brush.effect);
  DrawingLayer layer(256, 256);
  // "time" grows by 2 per second of scene time: five updates of 0.2 s.
  for (float t : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f}) brush.Update(t);
  brush.Apply(layer);
  EXPECT_NEAR(Values(brush, "SetFloat frequency").at(0), 1.0f / 0.026f, 1e-3f);
  EXPECT_FLOAT_EQ(Values(brush, "SetFloat amplitude").at(0), 0.0125f);
  EXPECT_NEAR(Values(brush, "SetFloat time").at(0), 2.0f, 1e-5f);
  const std::vector<SetCall> calls = SetCalls(brush.effect.Get());
  std::vector<std::string> order;
  for (const SetCall& call : calls) order.push_back(call.what);
  const std::vector<std::string> expected = {
      "SetFloatArray direction", "SetFloatArray direction_n", "SetFloat frequency", "SetFloat amplitude",
      "SetFloat time",           "SetTechnique Main",         "SetFloatArray Scale", "SetTexture Mask",
      "SetTexture Background"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
}

// theta = 360 - angle degrees; "direction" is minus (cos, sin) theta, "direction_n" the direction
// turned by +90 degrees, or its opposite with reverse.
TEST_F(WavesFXTest, AngleAndReverseGiveTheTwoVectors) {
  struct Case {
    UINT angle;
    int reverse;
    float dx, dy, nx, ny;
  };
  const Case cases[] = {
      {0, 0, -1, 0, 0, 1},  {0, 1, -1, 0, -1, 0}, {90, 0, 0, 1, 1, 0},
      {90, 1, 0, 1, 0, 1},  {180, 0, 1, 0, 0, -1}, {450, 0, 0, 1, 1, 0},  // beyond a turn
      {720, 5, -1, 0, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle << " reverse " << c.reverse);
    auto description = ReadRegistered<DS_WavesFX>(WavesRecord(50, 50, c.angle, c.reverse));
    ASSERT_TRUE(description);
    // The clone a slide draws recomputes the vectors from the values read.
    std::unique_ptr<DS_ABObj> object(description->CreateObject());
    auto* brush = static_cast<DS_WavesFX*>(object->Controller());
    DrawingLayer layer(256, 256);
    object->Render(layer);
    ExpectPair(Values(*brush, "SetFloatArray direction"), c.dx, c.dy);
    ExpectPair(Values(*brush, "SetFloatArray direction_n"), c.nx, c.ny);
  }
}

// Angle and reverse are read silently, so the description keeps the vectors of its defaults until a
// copy is made; a notified change of either recomputes both at once, other properties do not.
TEST_F(WavesFXTest, NotifiedAngleOrReverseRecomputesTheVectors) {
  auto brush = ReadRegistered<DS_WavesFX>(WavesRecord(80, 50, 90, 0));
  ASSERT_TRUE(brush);
  EXPECT_NEAR(brush->direction.x, 1.0f, 1e-6f);
  EXPECT_NEAR(brush->direction.y, 0.0f, 1e-6f);

  brush->angle.SetAndNotify(180);
  EXPECT_NEAR(brush->direction.x, -1.0f, 1e-6f);
  EXPECT_NEAR(brush->normal.y, -1.0f, 1e-6f);
  brush->reverse.SetAndNotify(1);
  EXPECT_NEAR(brush->normal.x, 1.0f, 1e-6f);
  EXPECT_NEAR(brush->normal.y, 0.0f, 1e-5f);

  // A silent change of the angle, then a notified amplitude: the vectors stay.
  brush->angle.value = 90;
  brush->amplitude.SetAndNotify(10);
  EXPECT_NEAR(brush->direction.x, -1.0f, 1e-6f);

  // A copy observes its own properties, not the original's.
  std::unique_ptr<DS_WavesFX> copy(static_cast<DS_WavesFX*>(brush->Clone()));
  EXPECT_NEAR(copy->direction.y, -1.0f, 1e-6f);
  brush->angle.SetAndNotify(0);
  EXPECT_NEAR(copy->direction.y, -1.0f, 1e-6f);
  EXPECT_NEAR(brush->direction.x, 1.0f, 1e-6f);
  copy->angle.SetAndNotify(180);
  EXPECT_NEAR(copy->direction.x, -1.0f, 1e-6f);
  EXPECT_NEAR(brush->direction.x, 1.0f, 1e-6f);
  // The original dies first: the copy's observers are its own and keep working.
  brush.reset();
  copy->angle.SetAndNotify(0);
  EXPECT_NEAR(copy->direction.x, 1.0f, 1e-6f);
}

TEST_F(WavesFXTest, RecordRoundTripsAndTruncationFails) {
  auto brush = ReadRegistered<DS_WavesFX>(WavesRecord(80, 120, 33, 1));
  ASSERT_TRUE(brush);
  EXPECT_FLOAT_EQ(brush->amplitude.derived, 0.02f);
  EXPECT_FLOAT_EQ(brush->frequency.derived, 0.061f);
  EXPECT_EQ(brush->angle.value, 33u);
  EXPECT_EQ(brush->reverse.value, 1);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(brush->Save(&stream));
  EXPECT_EQ(out.doc.Document(), WavesRecord(80, 120, 33, 1));
  const docbuild::Bytes whole = WavesRecord(80, 120, 33, 1);
  for (size_t length : {size_t(18), size_t(30), whole.size() - 2}) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(ReadRegistered<DS_WavesFX>(docbuild::Truncated(whole, length)));
  }
}

// Through the device: a picture red above and blue below. At angle 0 the wave runs along x and
// moves the lookup along y, most in the middle column (phase -pi/2), not at the left edge (phase 0):
// the border between red and blue bends there. With reverse the lookup moves along x only, and the
// horizontal border stays straight.
TEST_F(WavesFXTest, EffectBendsThePictureAcrossTheWave) {
  struct Case {
    int reverse;
    uint32_t bent;
  };
  for (const Case& c : {Case{0, 0xFF0000u}, Case{1, 0x0000FFu}}) {
    SCOPED_TRACE(c.reverse);
    DS_WavesFX brush;
    brush.reverse.SetAndNotify(c.reverse);
    brush.amplitude.SetAndNotify(400);  // 0.1 of the picture
    brush.frequency.SetAndNotify(636);  // 1 / 0.319: half a wave across the picture
    brush.Load(nullptr);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(1, 2, [](UINT, UINT y) { return y == 0 ? 0xFF0000u : 0x0000FFu; });
    const std::vector<uint32_t> pixels = Draw(brush, layer);
    EXPECT_EQ(At(pixels, 128, 140), c.bent);
    EXPECT_EQ(At(pixels, 2, 140), 0x0000FFu);
    EXPECT_EQ(At(pixels, 128, 100), 0xFF0000u);
    EXPECT_EQ(At(pixels, 128, 200), 0x0000FFu);
  }
}

}  // namespace
}  // namespace brush_test
