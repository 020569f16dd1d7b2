// The move brush: its record, the direction that follows the angle, the offset it passes as
// "Direction" for the sine and the noise modes, and the moved picture its effect draws.
#include "objects/move_fx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "objects/brush_obj.h"
#include "render/noise.h"
#include "screen_brush_fixture.h"
#include "tests/support/builder_stream.h"
#include "tests/support/effect_files.h"

namespace brush_test {
namespace {


docbuild::Bytes MoveRecord(int32_t mode, uint32_t amplitude, uint32_t angle, uint32_t speed = 50) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_MoveFX", 1).I32(mode);
  doc.Header(u"DS_DirectionBased", 1).U32(amplitude).U32(angle);
  BrushBaseLevel(doc, 91, speed);
  return doc.Document();
}

// Runs the clock to `c` (it steps at most 0.2 per update at the default speed of one unit per second).
void RunClockTo(DS_FX_Constructor& brush, float c) {
  float t = 0.0f;
  while (t + 0.2f < c) {
    t += 0.2f;
    brush.Update(t);
  }
  brush.Update(c);
}

// The screen brush fixture with a document whose library effect 91 runs the move program.
class MoveFXTest : public ScreenBrushTest {
 protected:
  void SetUp() override {
    doc_res_test::DeviceTest::SetUp();
    g_Device = device_.Get();
    docbuild::DocumentBuilder doc;
    const docbuild::Bytes effect = docbuild::EffectFile("move.fx");
    doc.DocResManager(3, {}, {}, {{u"vaultkit.dll", 91, {docbuild::LibraryCopy(91, u"vaultkit.dll", effect)}}}, {});
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

  static std::vector<float> Direction(DS_MoveFX& brush) {
    return LastSet(brush.effect.Get(), "SetFloatArray Direction").values;
  }
  static void ExpectPair(const std::vector<float>& values, float x, float y) {
    ASSERT_EQ(values.size(), 2u);
    EXPECT_NEAR(values[0], x, 1e-6f);
    EXPECT_NEAR(values[1], y, 1e-6f);
  }
};

TEST_F(MoveFXTest, DefaultsSetDirectionBeforeTheBaseParameters) {
  DS_MoveFX brush;
  EXPECT_EQ(brush.effectLink.stamp, 91);
  EXPECT_FLOAT_EQ(brush.speed.derived, 1.0f);
  EXPECT_FLOAT_EQ(brush.amplitude.derived, 0.01f);
  EXPECT_EQ(brush.mode.value, 0);
  brush.Load(nullptr);
  ASSERT_TRUE(brush.effect);
  DrawingLayer layer(256, 256);
  RunClockTo(brush, 1.0f);
  brush.Apply(layer);
  ExpectPair(Direction(brush), 0.01f * std::sin(1.0f), 0.0f);
  std::vector<std::string> order;
  for (const SetCall& call : SetCalls(brush.effect.Get())) order.push_back(call.what);
  const std::vector<std::string> expected = {"SetFloatArray Direction", "SetTechnique Main", "SetFloatArray Scale",
                                             "SetTexture Mask", "SetTexture Background"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
}

// theta = 360 - angle degrees; the offset is (cos, sin) theta x amplitude x s, where s is the sine
// of the clock, or for mode 1 alone the noise of 50 x the clock.
TEST_F(MoveFXTest, OffsetFollowsAngleModeAndClock) {
  const float noiseAtZero = float(Noise1D(0.0));
  ASSERT_NEAR(noiseAtZero, -0.2818f, 1e-4f);
  const float noiseAtTwo = float(FractalNoise1D(100.0, 75.0, 0.5, 1));
  struct Case {
    int mode;
    uint32_t angle;
    float clock;
    float x, y;
  };
  const Case cases[] = {
      {0, 0, 1.0f, 0.01f * std::sin(1.0f), 0.0f},
      {0, 90, 1.0f, 0.0f, -0.01f * std::sin(1.0f)},
      {0, 180, 0.6f, -0.01f * std::sin(0.6f), 0.0f},
      {0, 270, 2.0f, 0.0f, 0.01f * std::sin(2.0f)},
      {0, 450, 1.0f, 0.0f, -0.01f * std::sin(1.0f)},  // beyond a turn: 360 - 450 is -90 degrees
      {0, 0, 0.0f, 0.0f, 0.0f},  // the sine starts at rest
      {2, 0, 1.0f, 0.01f * std::sin(1.0f), 0.0f},
      {-1, 90, 1.0f, 0.0f, -0.01f * std::sin(1.0f)},
      {1, 0, 0.0f, 0.01f * noiseAtZero, 0.0f},  // the noise does not start at rest
      {1, 90, 0.0f, 0.0f, -0.01f * noiseAtZero},
      {1, 180, 2.0f, -0.01f * noiseAtTwo, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " angle " << c.angle << " clock " << c.clock);
    auto description = ReadRegistered<DS_MoveFX>(MoveRecord(c.mode, 50, c.angle));
    ASSERT_TRUE(description);
    // The clone a slide draws recomputes the direction from the angle read.
    std::unique_ptr<DS_ABObj> object(description->CreateObject());
    auto* brush = static_cast<DS_MoveFX*>(object->Controller());
    RunClockTo(*brush, c.clock);
    EXPECT_NEAR(brush->speed.accumulated, c.clock, 1e-6f);
    DrawingLayer layer(256, 256);
    object->Render(layer);
    ExpectPair(Direction(*brush), c.x, c.y);
  }
}

// The angle is read silently: the description keeps the direction of angle 0 until a copy is made.
// A notified change of the angle turns the direction at once and the next update uses it.
TEST_F(MoveFXTest, NotifiedAngleTurnsTheDirection) {
  auto brush = ReadRegistered<DS_MoveFX>(MoveRecord(0, 100, 90));
  ASSERT_TRUE(brush);
  EXPECT_NEAR(brush->direction.x, 1.0f, 1e-6f);
  EXPECT_NEAR(brush->direction.y, 0.0f, 1e-6f);

  RunClockTo(*brush, 1.0f);
  brush->angle.SetAndNotify(180);
  EXPECT_NEAR(brush->direction.x, -1.0f, 1e-6f);
  EXPECT_NEAR(brush->offset[0], 0.02f * std::sin(1.0f), 1e-6f) << "the offset waits for the next update";
  brush->Update(1.2f);
  EXPECT_NEAR(brush->offset[0], -0.02f * std::sin(1.2f), 1e-6f);
  EXPECT_NEAR(brush->offset[1], 0.0f, 1e-6f);

  // A notified amplitude changes the length only; a silent angle changes nothing.
  brush->angle.value = 90;
  brush->amplitude.SetAndNotify(200);
  EXPECT_NEAR(brush->direction.x, -1.0f, 1e-6f);

  // A copy keeps the offset and observes its own angle, not the original's.
  std::unique_ptr<DS_MoveFX> copy(static_cast<DS_MoveFX*>(brush->Clone()));
  EXPECT_NEAR(copy->direction.y, -1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(copy->offset[0], brush->offset[0]);
  EXPECT_FLOAT_EQ(copy->amplitude.derived, 0.04f);
  brush->angle.SetAndNotify(0);
  EXPECT_NEAR(copy->direction.y, -1.0f, 1e-6f);
  copy->angle.SetAndNotify(180);
  EXPECT_NEAR(copy->direction.x, -1.0f, 1e-6f);
  EXPECT_NEAR(brush->direction.x, 1.0f, 1e-6f);
  // The original dies first: the copy's observer is its own and keeps working.
  brush.reset();
  copy->angle.SetAndNotify(270);
  EXPECT_NEAR(copy->direction.y, 1.0f, 1e-6f);
}

TEST_F(MoveFXTest, RecordRoundTripsAndTruncationFails) {
  const docbuild::Bytes whole = MoveRecord(1, 120, 33, 75);
  auto brush = ReadRegistered<DS_MoveFX>(whole);
  ASSERT_TRUE(brush);
  EXPECT_EQ(brush->mode.value, 1);
  EXPECT_FLOAT_EQ(brush->amplitude.derived, 0.024f);
  EXPECT_EQ(brush->angle.value, 33u);
  EXPECT_FLOAT_EQ(brush->speed.derived, 1.5f);
  EXPECT_EQ(brush->effectLink.stamp, 91);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(brush->Save(&stream));
  EXPECT_EQ(out.doc.Document(), whole);
  // Cut inside the mode, inside the inner record's name, inside the angle, and near the end.
  for (size_t length : {size_t(28), size_t(40), size_t(78), whole.size() - 2}) {
    SCOPED_TRACE(length);
    ASSERT_LT(length, whole.size());
    EXPECT_FALSE(ReadRegistered<DS_MoveFX>(docbuild::Truncated(whole, length)));
  }
}

// Through the device: a picture red on the left, blue on the right, green below. At the sine's peak
// (clock pi/2) the picture moves by the whole amplitude along the direction; a lookup beyond an edge
// repeats the edge.
TEST_F(MoveFXTest, EffectMovesThePictureAlongTheDirection) {
  struct Probe {
    int x, y;
    uint32_t rgb;
  };
  struct Case {
    uint32_t angle;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      // Moved right by a quarter: the left edge repeats, red reaches into the right half.
      {0, {{2, 60, 0xFF0000u}, {150, 60, 0xFF0000u}, {200, 60, 0x0000FFu}, {150, 200, 0x00FF00u}}},
      // Moved left by a quarter: blue reaches into the left half, the right edge repeats.
      {180, {{100, 60, 0x0000FFu}, {60, 60, 0xFF0000u}, {253, 60, 0x0000FFu}}},
      // Angle 90 moves up: green reaches into the top half, the bottom edge repeats.
      {90, {{60, 100, 0x00FF00u}, {60, 60, 0xFF0000u}, {60, 253, 0x00FF00u}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    DS_MoveFX brush;
    brush.angle.SetAndNotify(c.angle);
    brush.amplitude.SetAndNotify(1250);  // a quarter of the picture
    brush.Load(nullptr);
    RunClockTo(brush, 1.5707964f);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(2, 2, [](UINT x, UINT y) { return y == 1 ? 0x00FF00u : x == 0 ? 0xFF0000u : 0x0000FFu; });
    const std::vector<uint32_t> pixels = Draw(brush, layer);
    for (const Probe& p : c.probes) {
      SCOPED_TRACE(testing::Message() << "at " << p.x << "," << p.y);
      EXPECT_EQ(At(pixels, p.x, p.y), p.rgb);
    }
  }
}

// With a mask the picture moves only where the mask is red; elsewhere it stays put.
TEST_F(MoveFXTest, MaskLimitsTheMovement) {
  DS_MoveFX brush;
  brush.amplitude.SetAndNotify(1250);
  brush.Load(nullptr);
  MaskHolder mask = MakePicture(1, 2, [](UINT, UINT y) { return y == 0 ? 0xFF0000u : 0x000000u; });
  brush.SetMask(&mask);
  RunClockTo(brush, 1.5707964f);
  DrawingLayer layer(256, 256);
  layer.background = MakePicture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFF0000u : 0x0000FFu; });
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  EXPECT_EQ(At(pixels, 150, 60), 0xFF0000u);   // masked in: moved
  EXPECT_EQ(At(pixels, 150, 200), 0x0000FFu);  // masked out: as it was
  EXPECT_EQ(At(pixels, 60, 200), 0xFF0000u);
}

}  // namespace
}  // namespace brush_test
