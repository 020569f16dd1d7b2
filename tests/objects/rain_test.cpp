// Rain: the preset of a flow falling straight down, each drop with its own alpha pulse; what the
// edges do with a drop that falls out; the stored record around a whole flow record.
#include <gtest/gtest.h>

#include <memory>

#include "objects/rain_constructor.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace particle_class_test {
namespace {

constexpr float kTolerance = 1e-3f;

class RainTest : public ParticleClassTest {
 protected:
  // 10-pixel drops; frames of 0.01 s, so that a drop falls at most 20 px a frame.
  static std::unique_ptr<DS_RainConstructor> Rain() {
    auto d = std::make_unique<DS_RainConstructor>();
    d->size = 10;
    return d;
  }
  static constexpr float kStep = 0.01f;
};

TEST_F(RainTest, DropsFallStraightDownUprightAtUpToTwoThousandPixelsASecond) {
  auto live = Live(*Rain());
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    Particle p = Spawn(*live);
    EXPECT_GE(p.sizeFactor, 0.5f);
    EXPECT_LE(p.sizeFactor, 1.0f);
    EXPECT_NEAR(p.axis1.x, 1.0f, kTolerance);
    EXPECT_NEAR(p.axis1.y, 0.0f, kTolerance);
    EXPECT_NEAR(p.axis2.x, 0.0f, kTolerance);
    EXPECT_NEAR(p.axis2.y, 1.0f, kTolerance);
    EXPECT_GE(p.alpha, 0.0f);
    EXPECT_LE(p.alpha, 1.0f);
    p.position = D3DXVECTOR3(500.0f, 100.0f, 0.0f);
    Frame(*live, p, kStep);
    EXPECT_NEAR(p.position.x, 500.0f, kTolerance);
    EXPECT_NEAR(p.position.y, 100.0f + 20.0f * p.sizeFactor, 1e-2f);
  }
}

// A wrap edge takes a drop across at once, however long its fades: the drop shows its own alpha,
// so the edge's fades would never end.
TEST_F(RainTest, ADropFallingOutThroughAWrapEdgeComesBackAtTheTop) {
  struct Case {
    UINT fadeOut, fadeIn;
  };
  for (const Case c : {Case{0, 0}, Case{500, 500}, Case{100000, 100000}}) {
    SCOPED_TRACE(testing::Message() << c.fadeOut << " / " << c.fadeIn);
    auto d = Rain();
    d->bottomEdge.fadeOutTime = c.fadeOut;
    d->bottomEdge.fadeInTime = c.fadeIn;
    auto live = Live(*d);
    Particle p = Spawn(*live);
    const float own = p.alpha;
    p.position = D3DXVECTOR3(500.0f, 490.0f, 0.0f);
    int frames = 0;
    while (p.position.y > 250.0f && frames++ < 10) {
      Frame(*live, p, kStep);
      EXPECT_EQ(p.alpha, own);
    }
    ASSERT_LT(p.position.y, 250.0f) << "the drop never came back";
    EXPECT_EQ(p.position.y, 1.0f);
    frames = 0;
    while (p.touchedEdge != -1 && frames++ < 5) Frame(*live, p, kStep);
    EXPECT_EQ(p.touchedEdge, -1);
    EXPECT_FALSE(p.paused);
    EXPECT_EQ(p.alpha, own);
    const float y = p.position.y;
    Frame(*live, p, kStep);
    EXPECT_GT(p.position.y, y);
  }
}

TEST_F(RainTest, ADropBelowABounceAfterPauseEdgeWaitsThereAndThenRises) {
  auto d = Rain();
  d->bottomEdge.mode = DS_BoundControl::kBouncePause;
  d->bottomEdge.minimumLife = 200;
  d->bottomEdge.maximumLife = 200;
  auto live = Live(*d);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(500.0f, 480.0f, 0.0f);
  int frames = 0;
  while (!p.paused && frames++ < 10) Frame(*live, p, kStep);
  ASSERT_TRUE(p.paused);
  Frame(*live, p, kStep);  // held just outside, within half its height of the bound
  const float waiting = p.position.y;
  EXPECT_GT(waiting, 500.0f);
  EXPECT_LE(waiting, 500.0f + p.halfHeight);
  for (int i = 0; i < 14; ++i) Frame(*live, p, kStep);  // 0.15 s of the 0.2 s pause
  EXPECT_EQ(p.position.y, waiting);
  for (int i = 0; i < 10; ++i) Frame(*live, p, kStep);
  EXPECT_FALSE(p.paused);
  EXPECT_LT(p.position.y, waiting);
  EXPECT_EQ(p.direction.y, -1.0f);
}

// A drop fading below the minimum starts again elsewhere, rising from the minimum, and whatever an
// edge was doing with it is over.
TEST_F(RainTest, ADropThatFadesOutRestartsElsewhereFreeOfItsEdge) {
  auto d = Rain();
  d->alphaMinimum = 0.2f;
  d->alphaRate = 1.0f;
  d->bottomEdge.mode = DS_BoundControl::kBouncePause;
  d->bottomEdge.minimumLife = 100000;
  d->bottomEdge.maximumLife = 100000;
  auto live = Live(*d);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(500.0f, 490.0f, 0.0f);
  p.alpha = 0.5f;
  p.alphaRate = -1.0f;
  int frames = 0;
  while (!p.paused && frames++ < 10) Frame(*live, p, kStep);
  ASSERT_TRUE(p.paused);
  frames = 0;
  while (p.alphaRate < 0.0f && frames++ < 60) Frame(*live, p, kStep);
  ASSERT_GT(p.alphaRate, 0.0f) << "never restarted";
  EXPECT_EQ(p.alpha, 0.2f);
  EXPECT_FALSE(p.paused);
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_GE(p.position.y, 0.0f);
  EXPECT_LE(p.position.y, 500.0f);
  const float y = p.position.y;
  Frame(*live, p, kStep);
  EXPECT_GT(p.position.y, y);
  EXPECT_NEAR(p.alpha, 0.21f, kTolerance);
}

TEST_F(RainTest, TheRecordHoldsAWholeFlowRecordOfItsOwnVersion) {
  // A version-2 flow inside: orientation flag 0, no edges.
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_RainConstructor", 1);
  doc.Header(u"DS_FlowConstructor", 2).U32(260).U32(2).U32(8).F32(1500.0f).I32(0);
  SpriteRows rows;
  rows.sizeMin = 0.25f;
  SpriteRecord(doc, rows);
  bool consumedAll = false;
  auto object = ReadObject(doc.Document(), &consumedAll);
  auto* rain = dynamic_cast<DS_RainConstructor*>(object.get());
  ASSERT_NE(rain, nullptr);
  EXPECT_TRUE(consumedAll);
  EXPECT_EQ(rain->angle.value, 260u);
  EXPECT_EQ(rain->wobbleAmplitude.value, 2u);
  EXPECT_EQ(rain->wobbleRate.value, 8u);
  EXPECT_EQ(rain->speed, 1500.0f);
  EXPECT_EQ(rain->orientation.value, 0);
  EXPECT_EQ(rain->sizeFactorMinimum, 0.25f);

  // Written back: the rain header, then the flow record in its current version.
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(rain->Save(&stream));
  docbuild::DocumentBuilder expected;
  expected.Header(u"DS_RainConstructor", 1);
  expected.Header(u"DS_FlowConstructor", 4).U32(260).U32(2).U32(8).F32(1500.0f).I32(0);
  for (int i = 0; i < 4; ++i) expected.Header(u"DS_BoundControl", 1).I32(0).U32(0).U32(0).U32(0).U32(0);
  SpriteRecord(expected, rows);
  EXPECT_EQ(out.Written(), expected.Document());
}

TEST_F(RainTest, TheDefaultsAreThePreset) {
  const DS_RainConstructor rain;
  EXPECT_EQ(rain.angle.value, 270u);
  EXPECT_EQ(rain.wobbleAmplitude.value, 0u);
  EXPECT_EQ(rain.speed, 2000.0f);
  EXPECT_EQ(rain.sizeFactorMinimum, 0.5f);
  EXPECT_EQ(rain.sizeFactorMaximum, 1.0f);
  EXPECT_EQ(rain.orientation.value, 1);
  // Already the description itself flows down at the preset speed.
  EXPECT_NEAR(rain.flowVector.x, 0.0f, 0.1f);
  EXPECT_NEAR(rain.flowVector.y, 2000.0f, 0.1f);
}

}  // namespace
}  // namespace particle_class_test
