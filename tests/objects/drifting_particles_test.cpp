// God rays, sparkles and fog: the ray's lean and place, the sparkle's twinkle, the fog's bounce and
// turn, the alpha pulse that restarts rays and sparkles but only clamps fog, and their records.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "objects/fog_constructor.h"
#include "objects/god_ray_constructor.h"
#include "objects/sparkle_constructor.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace particle_class_test {
namespace {

constexpr float kTolerance = 1e-3f;

using DriftingTest = ParticleClassTest;

// Reads the bytes as a stored object, checks it is a T that used every byte, and that saving it
// writes the same bytes again.
template <class T>
std::unique_ptr<T> ReadAndRewrite(const docbuild::Bytes& bytes) {
  bool consumedAll = false;
  std::unique_ptr<DS_ABObj_Constructor> object = ReadObject(bytes, &consumedAll);
  EXPECT_TRUE(consumedAll);
  if (!dynamic_cast<T*>(object.get())) {
    ADD_FAILURE() << "not read as the class named";
    return nullptr;
  }
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(object->Save(&stream));
  EXPECT_EQ(out.Written(), bytes);
  return std::unique_ptr<T>(static_cast<T*>(object.release()));
}

// ---- god rays ----

TEST_F(DriftingTest, ARayLeansByItsAngleAndNeverLiesFlat) {
  struct Case {
    UINT angle;
    float shear;  // axis 2 is (shear, 1, 0)
  };
  const Case cases[] = {
      {80, -0.17633f}, {100, 0.17633f}, {260, -0.17633f}, {280, 0.17633f}, {90, 0.0f}, {270, 0.0f}, {135, 1.0f},
      // Flat rays would shear without end (1 / tan 0 is infinite): held at the lean of 89 degrees.
      {0, 57.29f}, {180, 57.29f}, {360, 57.29f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    DS_GodRayConstructor d;
    d.angle = c.angle;
    d.size = 30;
    auto live = Live(d);
    const Particle p = Spawn(*live);
    ASSERT_TRUE(std::isfinite(p.axis2.x));
    EXPECT_NEAR(std::fabs(p.axis2.x), std::fabs(c.shear), 1e-2f);
    if (std::fabs(c.shear) < 50.0f && c.shear != 0.0f) {
      EXPECT_EQ(std::signbit(p.axis2.x), std::signbit(c.shear));
    }
    EXPECT_EQ(p.axis2.y, 1.0f);
    EXPECT_EQ(p.axis1, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(p.halfWidth, 15.0f);
    EXPECT_EQ(p.halfHeight, 250.0f);  // the ray is as tall as the picture
  }
}

TEST_F(DriftingTest, ARaysCentreIsHalfTheBoundsHeightFromTheTopOfThePicture) {
  struct Case {
    float top, bottom, y;
  };
  const Case cases[] = {{0.0f, 1.0f, 250.0f}, {0.2f, 0.6f, 100.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.top);
    DS_GodRayConstructor d;
    d.left = 0.25f;
    d.right = 0.5f;
    d.top = c.top;
    d.bottom = c.bottom;
    auto live = Live(d);
    for (int i = 0; i < 5; ++i) {
      const Particle p = Spawn(*live);
      EXPECT_NEAR(p.position.y, c.y, kTolerance);
      EXPECT_GE(p.position.x, 250.0f);
      EXPECT_LE(p.position.x, 500.0f);
      EXPECT_GE(p.velocity.x, -10.0f);
      EXPECT_LE(p.velocity.x, 10.0f);
      EXPECT_EQ(p.velocity.y, 0.0f);
    }
  }
}

TEST_F(DriftingTest, ARayDriftsSidewaysAndDecidesAnewEveryQuarterSecond) {
  DS_GodRayConstructor d;
  auto live = Live(d);
  Particle p = Spawn(*live);
  p.alpha = 0.5f;
  p.position.x = 500.0f;
  const float drift = p.velocity.x;
  Frame(*live, p, 0.2f);
  EXPECT_NEAR(p.position.x, 500.0f + 0.2f * drift, kTolerance);
  EXPECT_EQ(p.timer, 0.0f);
  Frame(*live, p, 0.1f);  // 0.3 s
  EXPECT_NEAR(p.timer, 0.3f, kTolerance);
  EXPECT_GE(p.velocity.x, -10.0f);
  EXPECT_LE(p.velocity.x, 10.0f);
}

// Rays and sparkles that fade below the minimum start again: a new place, the minimum alpha, rising.
TEST_F(DriftingTest, RaysAndSparklesThatFadeOutStartAgainElsewhere) {
  DS_GodRayConstructor ray;
  DS_SparkleConstructor sparkle;
  for (DS_ParticleSystemCtrl* d : {static_cast<DS_ParticleSystemCtrl*>(&ray), static_cast<DS_ParticleSystemCtrl*>(&sparkle)}) {
    SCOPED_TRACE(d == &ray ? "ray" : "sparkle");
    d->alphaMinimum = 0.3f;
    d->alphaRate = 2.0f;
    d->size = 20;
    std::unique_ptr<DS_BaseSpriteProp> live(d->Clone());
    Particle p = Spawn(*live);
    p.position = D3DXVECTOR3(-5000.0f, -5000.0f, 0.0f);  // far from any place a start could pick
    p.alpha = 0.35f;
    p.alphaRate = -2.0f;
    Frame(*live, p, 0.05f);  // 0.35 - 0.1 is below the minimum
    EXPECT_EQ(p.alpha, 0.3f);
    EXPECT_EQ(p.alphaRate, 2.0f);
    EXPECT_GE(p.position.x, 0.0f);
    EXPECT_LE(p.position.x, 1000.0f);
    EXPECT_GE(p.position.y, 0.0f);
    EXPECT_LE(p.position.y, 500.0f);
    Frame(*live, p, 0.05f);
    EXPECT_NEAR(p.alpha, 0.4f, kTolerance);
    // At the maximum the pulse turns round without a restart.
    p.alpha = 0.95f;
    const D3DXVECTOR3 place = p.position;
    Frame(*live, p, 0.05f);
    EXPECT_EQ(p.alpha, 1.0f);
    EXPECT_EQ(p.alphaRate, -2.0f);
    EXPECT_LT(std::fabs(p.position.x - place.x), 2.0f);
  }
}

TEST_F(DriftingTest, TheRayRecordIsItsAngleThenTheSpriteRecord) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_GodRayConstructor", 1).U32(110);
  SpriteRows rows;
  rows.size = 44;
  SpriteRecord(doc, rows);
  auto ray = ReadAndRewrite<DS_GodRayConstructor>(doc.Document());
  ASSERT_NE(ray, nullptr);
  EXPECT_EQ(ray->angle.value, 110u);
  EXPECT_EQ(ray->size.value, 44u);
  EXPECT_EQ(DS_GodRayConstructor().angle.value, 80u);
}

// ---- sparkles ----

TEST_F(DriftingTest, ASparkleIsASquareThatGrowsWithItsAlpha) {
  struct Case {
    float alpha, half;
  };
  const Case cases[] = {{0.5f, 7.5f}, {1.0f, 10.0f}, {0.0f, 5.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alpha);
    DS_SparkleConstructor d;
    d.size = 20;
    auto live = Live(d);
    Particle p = Spawn(*live);
    p.aspect = 2.0f;  // a tall picture: the sparkle stays square
    p.alpha = c.alpha;
    p.alphaRate = 0.0f;
    const D3DXVECTOR3 start = p.position;
    Frame(*live, p, 0.1f);
    EXPECT_EQ(p.halfWidth, c.half);
    EXPECT_EQ(p.halfHeight, c.half);
    EXPECT_NEAR(p.position.x, start.x + 0.1f * p.velocity.x, kTolerance);
    EXPECT_NEAR(p.position.y, start.y + 0.1f * p.velocity.y, kTolerance);
    EXPECT_LE(std::fabs(p.velocity.x), 25.0f);
    EXPECT_LE(std::fabs(p.velocity.y), 25.0f);
  }
}

// Without a fade (alpha rate 0, the default) a sparkle that drifts past any side of the element
// comes back inside it, rather than drifting away for ever.
TEST_F(DriftingTest, ASparkleThatDriftsOutWithoutFadingComesBackInside) {
  const D3DXVECTOR3 velocities[] = {{-25, 0, 0}, {25, 0, 0}, {0, -25, 0}, {0, 25, 0}};
  const D3DXVECTOR3 starts[] = {{1, 250, 0}, {999, 250, 0}, {500, 1, 0}, {500, 499, 0}};
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE(side);
    DS_SparkleConstructor d;
    d.size = 20;
    auto live = Live(d);
    Particle p = Spawn(*live);
    p.alphaRate = 0.0f;
    p.position = starts[side];
    p.velocity = velocities[side];
    for (int frame = 0; frame < 20; ++frame) {
      Frame(*live, p, 0.1f);
      ASSERT_GE(p.position.x, 0.0f);
      ASSERT_LE(p.position.x, 1000.0f);
      ASSERT_GE(p.position.y, 0.0f);
      ASSERT_LE(p.position.y, 500.0f);
    }
  }
}

// A sparkle that fades is left to its pulse: past any side of the element it drifts on outside,
// drawn where it is, until it fades out and starts again.
TEST_F(DriftingTest, AFadingSparkleDriftsOutUntilItRestarts) {
  const D3DXVECTOR3 velocities[] = {{-25, 0, 0}, {25, 0, 0}, {0, -25, 0}, {0, 25, 0}};
  const D3DXVECTOR3 starts[] = {{1, 250, 0}, {999, 250, 0}, {500, 1, 0}, {500, 499, 0}};
  for (int side = 0; side < 4; ++side) {
    SCOPED_TRACE(side);
    DS_SparkleConstructor d;
    d.size = 20;
    auto live = Live(d);
    Particle p = Spawn(*live);
    p.alpha = 0.5f;
    p.alphaRate = 0.1f;  // 2 s lift it to 0.7: no restart on the way
    p.position = starts[side];
    p.velocity = velocities[side];
    for (int frame = 0; frame < 20; ++frame) Frame(*live, p, 0.1f);
    EXPECT_NEAR(p.position.x, starts[side].x + 2.0f * velocities[side].x, kTolerance);
    EXPECT_NEAR(p.position.y, starts[side].y + 2.0f * velocities[side].y, kTolerance);
    EXPECT_NEAR(p.alpha, 0.7f, kTolerance);
  }
}

TEST_F(DriftingTest, TheSparkleRecordIsTheSpriteRecordAlone) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_SparkleConstructor", 1);
  SpriteRows rows;
  rows.count = 40;
  SpriteRecord(doc, rows);
  auto sparkle = ReadAndRewrite<DS_SparkleConstructor>(doc.Document());
  ASSERT_NE(sparkle, nullptr);
  EXPECT_EQ(sparkle->count.value, 40u);
  EXPECT_TRUE(DS_SparkleConstructor().viewFlag);
}

// ---- fog ----

TEST_F(DriftingTest, AFogPuffTurnsBackAsSoonAsItsCentrePassesABound) {
  struct Case {
    D3DXVECTOR3 start, velocity;
    bool horizontal;
  };
  // Bounds 100 to 900 across, 50 to 450 down.
  const Case cases[] = {
      {{898, 250, 0}, {40, 0, 0}, true},    {{102, 250, 0}, {-40, 0, 0}, true},
      {{500, 448, 0}, {0, 40, 0}, false},   {{500, 52, 0}, {0, -40, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start.x << ", " << c.start.y);
    DS_FogConstructor d;
    d.left = 0.1f;
    d.right = 0.9f;
    d.top = 0.1f;
    d.bottom = 0.9f;
    auto live = Live(d);
    Particle p = Spawn(*live);
    p.position = c.start;
    p.velocity = c.velocity;
    Frame(*live, p, 0.1f);  // 4 px: 2 px beyond the bound
    const float turned = c.horizontal ? p.velocity.x : p.velocity.y;
    const float before = c.horizontal ? c.velocity.x : c.velocity.y;
    EXPECT_EQ(turned, -before);
    const D3DXVECTOR3 outside = p.position;
    Frame(*live, p, 0.1f);
    EXPECT_NEAR(p.position.x, outside.x - 0.1f * c.velocity.x, kTolerance);
    EXPECT_NEAR(p.position.y, outside.y - 0.1f * c.velocity.y, kTolerance);
  }
}

TEST_F(DriftingTest, FogAlphaStaysWithinItsBoundsWithoutRestarting) {
  DS_FogConstructor d;
  d.alphaRate = 3.0f;
  auto live = Live(d);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(500.0f, 250.0f, 0.0f);
  p.velocity = D3DXVECTOR3(10.0f, 0.0f, 0.0f);
  bool sawMinimum = false, sawMaximum = false;
  for (int i = 0; i < 60; ++i) {
    const float x = p.position.x;
    Frame(*live, p, 0.1f);
    ASSERT_GE(p.alpha, 0.2f);
    ASSERT_LE(p.alpha, 1.0f);
    sawMinimum |= p.alpha == 0.2f;
    sawMaximum |= p.alpha == 1.0f;
    ASSERT_NEAR(p.position.x, x + 1.0f, kTolerance) << "the puff jumped";
  }
  EXPECT_TRUE(sawMinimum);
  EXPECT_TRUE(sawMaximum);
}

TEST_F(DriftingTest, AFogPuffTurnsByTheSameSmallAngleEveryFrame) {
  DS_FogConstructor d;
  auto live = Live(d);
  Particle p = Spawn(*live);
  const float perFrame = std::atan2(p.spin._12, p.spin._11);
  EXPECT_LE(std::fabs(perFrame), 0.004f + 1e-6f);
  // Frames of different lengths, and a layer at speed 0, turn alike: the turn is per frame.
  live->speed = 0;
  const float lengths[] = {0.01f, 0.2f, 0.05f, 0.1f};
  for (float seconds : lengths) Frame(*live, p, seconds);
  EXPECT_NEAR(std::atan2(p.axis1.y, p.axis1.x), 4.0f * perFrame, 1e-5f);
  EXPECT_NEAR(std::atan2(-p.axis2.x, p.axis2.y), 4.0f * perFrame, 1e-5f);
}

TEST_F(DriftingTest, TheFogRecordIsItsTwoSpeedsThenTheSpriteRecord) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_FogConstructor", 1).F32(12.5f).F32(7.25f);
  SpriteRows rows;
  rows.transparency = 20;
  SpriteRecord(doc, rows);
  auto fog = ReadAndRewrite<DS_FogConstructor>(doc.Document());
  ASSERT_NE(fog, nullptr);
  EXPECT_EQ(fog->maxHorizontalSpeed, 12.5f);
  EXPECT_EQ(fog->maxVerticalSpeed, 7.25f);
  EXPECT_EQ(fog->transparency.derived, 204);  // 255 - 51

  const DS_FogConstructor defaults;
  EXPECT_EQ(defaults.maxHorizontalSpeed, 40.0f);
  EXPECT_EQ(defaults.maxVerticalSpeed, 40.0f);
  EXPECT_EQ(defaults.alphaMinimum, 0.2f);
  EXPECT_EQ(defaults.alphaMaximum, 1.0f);
  EXPECT_EQ(defaults.transparency.derived, 127);
}

}  // namespace
}  // namespace particle_class_test
