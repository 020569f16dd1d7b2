// Fish, birds and ghosts: facing and turning at the bounds, the vertical bounce, the pace changes on
// the scene clock, the bird's minimum pace, the ghost's fading and reappearing, and their records.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "objects/bird_constructor.h"
#include "objects/fish_constructor.h"
#include "objects/ghost_constructor.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace particle_class_test {
namespace {

constexpr float kTolerance = 1e-3f;

using WanderingTest = ParticleClassTest;

TEST_F(WanderingTest, AFishFacesItsWayAndTurnsOnlyOnceEntirelyOutside) {
  DS_FishConstructor d;
  d.size = 20;
  d.maxVerticalSpeed = 0.0f;
  auto live = Live(d);
  Particle p = Spawn(*live);
  for (int i = 0; i < 20 && p.velocity.x >= 0.0f; ++i) p = Spawn(*live);
  ASSERT_LT(p.velocity.x, 0.0f);
  EXPECT_EQ(p.halfWidth, -10.0f);  // drawn mirrored
  p.velocity.x = -30.0f;
  p.position = D3DXVECTOR3(12.0f, 250.0f, 0.0f);
  // Past the left bound only once x + 10 < 0: 0.75 s at 30 px/s.
  for (int i = 0; i < 7; ++i) {
    Frame(*live, p);
    ASSERT_EQ(p.velocity.x, -30.0f) << "turned at x " << p.position.x;
  }
  Frame(*live, p);
  EXPECT_EQ(p.velocity.x, 30.0f);
  EXPECT_EQ(p.halfWidth, 10.0f);
  const float x = p.position.x;
  Frame(*live, p);
  EXPECT_NEAR(p.position.x, x + 3.0f, kTolerance);
}

TEST_F(WanderingTest, AFishBouncesAsSoonAsItsSideReachesOutOfTheTopOrBottom) {
  struct Case {
    float y, vy;
  };
  // Half height 10; bounds 0 to 500 down. The centre stays inside.
  const Case cases[] = {{12.0f, -30.0f}, {488.0f, 30.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.y);
    DS_FishConstructor d;
    d.size = 20;
    auto live = Live(d);
    Particle p = Spawn(*live);
    p.position = D3DXVECTOR3(500.0f, c.y, 0.0f);
    p.velocity = D3DXVECTOR3(0.0f, c.vy, 0.0f);
    Frame(*live, p);
    EXPECT_EQ(p.velocity.y, -c.vy);
    EXPECT_GT(p.position.y, 0.0f);
    EXPECT_LT(p.position.y, 500.0f);
  }
}

// At speed 0 nothing moves, yet every second of scene time brings a chance of a new pace.
TEST_F(WanderingTest, AStillLayerStillRedrawsItsPacesOnTheSceneClock) {
  DS_FishConstructor d;
  d.speed = 0;
  auto live = Live(d);
  Particle p = Spawn(*live);
  const D3DXVECTOR3 place = p.position;
  const bool left = p.velocity.x < 0.0f;
  float decisions[2] = {0.0f, 0.0f};
  int seen = 0;
  for (int i = 0; i < 12; ++i) {
    const float timer = p.timer;
    Frame(*live, p, 0.25f);
    if (p.timer != timer && seen < 2) decisions[seen++] = p.timer;
    EXPECT_EQ(p.position, place);
    EXPECT_EQ(p.velocity.x < 0.0f, left);  // the facing never changes by a new pace
  }
  ASSERT_EQ(seen, 2);
  EXPECT_NEAR(decisions[0], 1.25f, kTolerance);
  EXPECT_NEAR(decisions[1], 2.5f, kTolerance);
}

TEST_F(WanderingTest, BirdsKeepAMinimumPace) {
  struct Case {
    float vx, vy;
    float vyAfter;               // exact
    float vxLow, vxHigh;         // range
  };
  // Maximum speeds 80 across and 50 down.
  const Case cases[] = {
      {70.0f, -14.0f, 29.0f, 70.0f, 70.0f},
      {70.0f, 40.0f, 40.0f, 70.0f, 70.0f},
      {70.0f, -40.0f, -40.0f, 70.0f, 70.0f},
      {70.0f, 0.0f, 35.0f, 70.0f, 70.0f},
      {-10.0f, 40.0f, 40.0f, -80.0f, -56.0f},
      {10.0f, 40.0f, 40.0f, 56.0f, 80.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.vx << ", " << c.vy);
    DS_BirdConstructor d;
    d.speed = 0;  // nothing moves, so no bound interferes
    auto live = Live(d);
    Particle p = Spawn(*live);
    p.position = D3DXVECTOR3(500.0f, 250.0f, 0.0f);
    p.velocity = D3DXVECTOR3(c.vx, c.vy, 0.0f);
    Frame(*live, p);
    EXPECT_NEAR(p.velocity.y, c.vyAfter, kTolerance);
    EXPECT_GE(p.velocity.x, c.vxLow - kTolerance);
    EXPECT_LE(p.velocity.x, c.vxHigh + kTolerance);
  }
}

TEST_F(WanderingTest, AGhostThatFadesOutReappearsElsewhereFadingIn) {
  DS_GhostConstructor d;
  d.alphaMinimum = 0.1f;
  auto live = Live(d);
  Particle p = Spawn(*live);
  EXPECT_GE(p.alpha, 0.0f);
  EXPECT_LE(p.alpha, 1.0f);
  p.position = D3DXVECTOR3(-5000.0f, -5000.0f, 0.0f);
  p.alpha = 0.11f;
  p.alphaRate = -0.66f;
  Frame(*live, p);
  EXPECT_EQ(p.alpha, 0.1f);
  EXPECT_NEAR(p.alphaRate, 0.66f, kTolerance);
  EXPECT_GE(p.position.x, 0.0f);
  EXPECT_LE(p.position.x, 1000.0f);
  EXPECT_GE(p.position.y, 0.0f);
  EXPECT_LE(p.position.y, 500.0f);
  EXPECT_EQ(std::fabs(p.halfWidth), std::fabs(p.halfHeight));  // size factor 1, square picture
  EXPECT_EQ(p.color >> 24, 12u);  // 127 x 0.1
  Frame(*live, p);
  EXPECT_NEAR(p.alpha, 0.166f, kTolerance);
}

TEST_F(WanderingTest, GhostDefaults) {
  const DS_GhostConstructor ghost;
  EXPECT_EQ(ghost.maxHorizontalSpeed, 50.0f);
  EXPECT_EQ(ghost.maxVerticalSpeed, 50.0f);
  EXPECT_EQ(ghost.alphaRate, 0.66f);
  EXPECT_EQ(ghost.transparency.value, 50u);
  EXPECT_EQ(ghost.transparency.derived, 127);
  EXPECT_EQ(ghost.sizeFactorMinimum, 1.0f);
  EXPECT_EQ(ghost.sizeFactorMaximum, 1.0f);
  const DS_BirdConstructor bird;
  EXPECT_EQ(bird.maxHorizontalSpeed, 80.0f);
  EXPECT_EQ(bird.maxVerticalSpeed, 50.0f);
}

// The fish record alone, or whole inside the bird's and the ghost's; read, then written back.
TEST_F(WanderingTest, RecordsReadTheirSpeedsAndWriteThemBack) {
  const char16_t* outer[] = {nullptr, u"DS_BirdConstructor", u"DS_GhostConstructor"};
  for (const char16_t* name : outer) {
    SCOPED_TRACE(name ? "nested" : "fish");
    docbuild::DocumentBuilder doc;
    if (name) doc.Header(name, 1);
    doc.Header(u"DS_FishConstructor", 1).F32(33.5f).F32(12.25f);
    SpriteRows rows;
    rows.count = 6;
    SpriteRecord(doc, rows);
    bool consumedAll = false;
    std::unique_ptr<DS_ABObj_Constructor> object = ReadObject(doc.Document(), &consumedAll);
    auto* fish = dynamic_cast<DS_FishConstructor*>(object.get());
    ASSERT_NE(fish, nullptr);
    EXPECT_TRUE(consumedAll);
    EXPECT_EQ(fish->maxHorizontalSpeed, 33.5f);
    EXPECT_EQ(fish->maxVerticalSpeed, 12.25f);
    EXPECT_EQ(fish->count.value, 6u);
    if (name && name[2] == u'B') {
      EXPECT_NE(dynamic_cast<DS_BirdConstructor*>(fish), nullptr);
    }
    if (name && name[2] == u'G') {
      EXPECT_NE(dynamic_cast<DS_GhostConstructor*>(fish), nullptr);
    }
    docbuild::BuilderStream out;
    DS_IOF_Virtual* stream = &out;
    EXPECT_TRUE(object->Save(&stream));
    EXPECT_EQ(out.Written(), doc.Document());
  }
}

}  // namespace
}  // namespace particle_class_test
