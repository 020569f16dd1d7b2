// The light brush: its record, the "multiplier" of each mode over the clock, and the brightened
// picture its effect draws.
#include "objects/light_fx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "objects/brush_obj.h"
#include "render/noise.h"
#include "screen_brush_fixture.h"
#include "tests/support/builder_stream.h"

namespace brush_test {
namespace {

// Clock times at which sin(0.2 c) is 1, 0 and -1.
constexpr float kPeak = 7.8539816f;
constexpr float kRise = 0.0f;
constexpr float kTrough = 23.561945f;

docbuild::Bytes LightRecord(uint32_t intensity, int32_t mode) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_LightFX", 1).U32(intensity).I32(mode);
  BrushBaseLevel(doc, 76, 40);
  return doc.Document();
}

class LightFXTest : public ScreenBrushTest {
 protected:
  // The "multiplier" the brush sets at clock time c.
  static float MultiplierAt(DS_LightFX& brush, float c) {
    brush.speed.accumulated = c;
    DrawingLayer layer(256, 256);
    brush.Apply(layer);
    const std::vector<float> values = LastSet(brush.effect.Get(), "SetFloat multiplier").values;
    return values.size() == 1 ? values[0] : NAN;
  }
};

TEST_F(LightFXTest, DefaultsAndRecord) {
  DS_LightFX fresh;
  EXPECT_EQ(fresh.effectLink.stamp, 76);
  EXPECT_FLOAT_EQ(fresh.speed.derived, 40.0f);
  EXPECT_FLOAT_EQ(fresh.intensity.derived, 0.4f);
  EXPECT_EQ(fresh.mode.value, 0);

  auto brush = ReadRegistered<DS_LightFX>(LightRecord(75, 2));
  ASSERT_TRUE(brush);
  EXPECT_FLOAT_EQ(brush->intensity.derived, 0.75f) << "the intensity's derived value follows the stored one";
  EXPECT_EQ(brush->mode.value, 2);
  EXPECT_EQ(brush->name, u"screen");
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(brush->Save(&stream));
  EXPECT_EQ(out.doc.Document(), LightRecord(75, 2));

  const docbuild::Bytes whole = LightRecord(75, 2);
  EXPECT_FALSE(ReadRegistered<DS_LightFX>(docbuild::Truncated(whole, 20)));
  EXPECT_FALSE(ReadRegistered<DS_LightFX>(docbuild::Truncated(whole, whole.size() - 3)));
}

// Below 2 a sine of the clock (mode 1 squared off: only 0 and the full intensity, exactly half
// giving 0); 2 and above fractal noise of the clock.
TEST_F(LightFXTest, EachModeShapesTheMultiplier) {
  const float noiseAtZero = 0.4f * float((FractalNoise1D(0.0, 75.0, 0.5, 2) + 1.0) * 0.5);
  struct Case {
    int mode;
    float c;
    float expected;
  };
  const Case cases[] = {
      {0, kRise, 0.2f},    {0, kPeak, 0.4f},    {0, kTrough, 0.0f},  {-1, kRise, 0.2f}, {-1, kPeak, 0.4f},
      {1, kRise, 0.0f},    {1, kPeak, 0.4f},    {1, kTrough, 0.0f},  {1, 3.0f, 0.4f},   {1, 20.0f, 0.0f},
      {2, kRise, noiseAtZero}, {5, kRise, noiseAtZero},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " at " << c.c);
    DS_LightFX brush;
    brush.mode = c.mode;
    brush.Load(nullptr);
    ASSERT_TRUE(brush.effect);
    EXPECT_NEAR(MultiplierAt(brush, c.c), c.expected, 1e-6f);
  }
  // Noise at zero sits near 1.5 x Noise1D(0), well apart from the sine's 0.2.
  EXPECT_NEAR(noiseAtZero, 0.4f * (1.0f + 1.5f * float(Noise1D(0.0))) * 0.5f, 1e-6f);
}

// Mode 5 follows exactly the noise of mode 2, mode -1 exactly the sine of mode 0; the square wave
// never takes any value but 0 and the intensity.
TEST_F(LightFXTest, OutOfRangeModesFollowTheirNeighbours) {
  DS_LightFX noise, far, sine, negative, square;
  noise.mode = 2;
  far.mode = 5;
  negative.mode = -1;
  square.mode = 1;
  for (DS_LightFX* b : {&noise, &far, &sine, &negative, &square}) b->Load(nullptr);
  bool noiseVaries = false;
  const float first = MultiplierAt(noise, 0.0f);
  for (float c = 0.0f; c < 40.0f; c += 0.7f) {
    SCOPED_TRACE(c);
    const float n = MultiplierAt(noise, c);
    EXPECT_EQ(MultiplierAt(far, c), n);
    EXPECT_EQ(MultiplierAt(negative, c), MultiplierAt(sine, c));
    const float s = MultiplierAt(square, c);
    EXPECT_TRUE(s == 0.0f || s == square.intensity.derived) << s;
    EXPECT_GE(n, 0.0f);
    EXPECT_LE(n, 0.4f);
    noiseVaries = noiseVaries || n != first;
  }
  EXPECT_TRUE(noiseVaries);
}

// With the defaults the clock runs 40 units per second: the sine peaks after about 0.196 s of scene
// time and "multiplier" runs between 0 and 0.4 with a period of about 0.785 s.
TEST_F(LightFXTest, DefaultClockPulsesWithTheSceneTime) {
  auto description = ReadRegistered<DS_LightFX>(LightRecord(40, 0));
  ASSERT_TRUE(description);
  std::unique_ptr<DS_ABObj> object(description->CreateObject());
  auto* brush = static_cast<DS_LightFX*>(object->Controller());
  DrawingLayer layer(256, 256);
  float now = 0.0f;
  // Frames of at most 0.05 s up to t: the clock counts at most 0.2 s per update.
  auto multiplier = [&](float t) {
    while (now < t) {
      now = std::min(now + 0.05f, t);
      object->Update(now);
    }
    object->Render(layer);
    return LastSet(brush->effect.Get(), "SetFloat multiplier").values.at(0);
  };
  EXPECT_NEAR(multiplier(0.1f), 0.4f * (std::sin(0.8f) + 1.0f) / 2.0f, 1e-5f);
  EXPECT_NEAR(multiplier(kPeak / 40.0f), 0.4f, 1e-5f);
  EXPECT_NEAR(multiplier(kPeak / 40.0f + 0.785398f / 2.0f), 0.0f, 1e-5f);
  EXPECT_NEAR(multiplier(kPeak / 40.0f + 0.785398f), 0.4f, 1e-5f);
}

// Through the device: at the peak a grey picture is brightened by 1 + 0.4; where the mask is black
// it stays as it was.
TEST_F(LightFXTest, EffectBrightensThePictureByTheMultiplier) {
  DS_LightFX brush;
  ComHolder<IDirect3DTexture9> mask = MakePicture(2, 1, [](UINT x, UINT) { return x == 0 ? 0x000000u : 0xFFFFFFu; });
  brush.Load(&mask);
  brush.speed.accumulated = kPeak;
  DrawingLayer layer(256, 256);
  layer.background = MakePicture(4, 4, [](UINT, UINT) { return 0x808080u; });
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  for (int y : {10, 128, 240}) {
    EXPECT_EQ(At(pixels, 40, y), 0x808080u);
    const uint32_t lit = At(pixels, 200, y);
    EXPECT_NEAR(Red(lit), 179, 1);
    EXPECT_NEAR(Green(lit), 179, 1);
    EXPECT_NEAR(Blue(lit), 179, 1);
  }
}

}  // namespace
}  // namespace brush_test
