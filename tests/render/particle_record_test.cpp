// A particle's start geometry and state, its vertex colour and its corner.
#include <gtest/gtest.h>

#include "particle_fixture.h"
#include "render/particle.h"
#include "render/random.h"

namespace particle_test {
namespace {

class ParticleRecordTest : public ParticleSceneTest {};

// The half extents follow the picture's aspect (height / width): the larger one is half of size x
// size factor. A running strip of n frames makes the picture n times narrower per frame.
TEST_F(ParticleRecordTest, HalfExtentsFollowThePictureAspectAndTheStrip) {
  struct Case {
    const char16_t* picture;
    bool strip;
    UINT frames;
    float halfWidth, halfHeight, aspect;
  };
  const Case cases[] = {
      {u"wide.png", false, 1, 10.0f, 5.0f, 0.5f},
      {u"tall.png", false, 1, 5.0f, 10.0f, 2.0f},
      {u"wide.png", true, 4, 5.0f, 10.0f, 2.0f},   // 8 x 4 in four frames: each 2 x 4
      {u"wide.png", false, 4, 10.0f, 5.0f, 0.5f},  // frames count only while the strip runs
      {u"missing.png", false, 1, 10.0f, 10.0f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.strip << " " << c.frames);
    TestSprites d(log_);
    d.imageLink = Image(c.picture);
    d.size = 20;
    d.stripAnimation = c.strip;
    d.frameCount = c.frames;
    Particle p;
    p.position = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    p.uPair[0] = 0.7f;
    Particle::InitGeometry(p, d);
    EXPECT_FLOAT_EQ(p.aspect, c.aspect);
    EXPECT_FLOAT_EQ(p.halfWidth, c.halfWidth);
    EXPECT_FLOAT_EQ(p.halfHeight, c.halfHeight);
    EXPECT_FLOAT_EQ(p.position.x, 100.0f);
    EXPECT_FLOAT_EQ(p.position.z, 0.0f);
    EXPECT_FLOAT_EQ(p.uPair[0], 0.0f);
  }
}

TEST_F(ParticleRecordTest, SizeFactorIsOneDrawBetweenItsBounds) {
  TestSprites d(log_);
  d.imageLink = Image(u"tall.png");
  d.size = 10;
  d.sizeFactorMinimum = 1.0f;
  d.sizeFactorMaximum = 3.0f;
  SRand(1);  // the first draw is 41
  Particle p;
  Particle::InitGeometry(p, d);
  EXPECT_NEAR(p.sizeFactor, 1.0f + 41.0f / 32767.0f * 2.0f, 1e-6f);
  EXPECT_FLOAT_EQ(p.halfHeight, p.sizeFactor * 5.0f);
  EXPECT_EQ(Rand(), 18467);  // exactly one draw was taken
}

// The start state's alpha rate takes its sign from one draw: odd gives the negative sign.
TEST_F(ParticleRecordTest, AlphaRateSignComesFromOneDraw) {
  TestSprites d(log_);
  d.alphaRate = 0.25f;
  SRand(1);  // draws 41 (odd), 18467 (odd), 6334 (even)
  const float expected[] = {-0.25f, -0.25f, 0.25f};
  for (float rate : expected) {
    Particle p;
    p.alpha = 0.1f;
    p.touchedEdge = 2;
    p.paused = true;
    Particle::InitState(p, d);
    EXPECT_FLOAT_EQ(p.alphaRate, rate);
    EXPECT_FLOAT_EQ(p.alpha, 1.0f);
    EXPECT_EQ(p.touchedEdge, -1);
    EXPECT_FALSE(p.paused);
  }
}

// The colour is ARGB from the stored 0x00BBGGRR tint; its alpha is the maximum opacity times the
// particle's alpha, truncated.
TEST_F(ParticleRecordTest, ColourTakesTheTintAndTheScaledAlpha) {
  struct Case {
    UINT transparency;
    float alpha;
    D3DCOLOR expected;
  };
  const Case cases[] = {
      {0, 0.5f, 0x7F563412u},   // 127.5 truncated
      {0, 1.0f, 0xFF563412u},
      {50, 1.0f, 0x7F563412u},  // 255 - 127.5 truncated to a byte
      {0, 0.0f, 0x00563412u},
      {100, 1.0f, 0x00563412u},
      // An alpha beyond 0 to 1 is held there rather than wrapping its byte.
      {0, 1.5f, 0xFF563412u},
      {50, 3.0f, 0xFF563412u},
      {0, -0.5f, 0x00563412u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.transparency << " " << c.alpha);
    TestSprites d(log_);
    d.color = 0x00123456u;
    d.transparency.SetAndNotify(c.transparency);
    Particle p;
    p.alpha = c.alpha;
    Particle::ApplyColor(d, p);
    EXPECT_EQ(p.color, c.expected) << std::hex << p.color;
  }
}

}  // namespace
}  // namespace particle_test
