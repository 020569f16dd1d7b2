// A particle's position against the bounds of its description: entirely beyond an edge (past) or
// reaching beyond it with its near side (crossing).
#include <gtest/gtest.h>

#include "render/particle.h"
#include "render/particle_sprite_prop.h"
#include "slideshow/view_2d.h"

namespace {

class Bounded : public DS_BaseSpriteProp {
 public:
  DS_ABObj* CreateObject() override { return nullptr; }
};

class ParticleEdgesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_LayerView = LayerView{};
    g_LayerView.pictureWidth = 200;
    g_LayerView.pictureHeight = 100;
  }
  void TearDown() override { g_LayerView = LayerView{}; }
};

using EdgeTest = bool (*)(const DS_BaseSpriteProp&, const Particle&);

// Bounds in pixels: left 0, right 180, top 20, bottom 80 (fractions 0, 0.9, 0.2, 0.8 of 200 x 100).
TEST_F(ParticleEdgesTest, PastAndCrossingTestsCompareTheSpriteWithEachBound) {
  struct Case {
    const char* name;
    EdgeTest test;
    float x, y, halfWidth, halfHeight;
    bool expected;
  };
  const Case cases[] = {
      {"past left, wholly beyond", &Particle::IsPastLeftEdge, -10.5f, 50, 10, 5, true},
      {"past left, still touching", &Particle::IsPastLeftEdge, -9.5f, 50, 10, 5, false},
      {"crosses left, still touching", &Particle::CrossesLeftEdge, -9.5f, 50, 10, 5, true},
      {"crosses left, inside", &Particle::CrossesLeftEdge, 10.5f, 50, 10, 5, false},
      {"past left, mirrored sprite still touching", &Particle::IsPastLeftEdge, -9.5f, 50, -10, 5, false},
      {"crosses left, mirrored sprite measures its far side", &Particle::CrossesLeftEdge, -5, 50, -10, 5, false},
      {"past right", &Particle::IsPastRightEdge, 190.5f, 50, 10, 5, true},
      {"past right, touching", &Particle::IsPastRightEdge, 189.5f, 50, 10, 5, false},
      {"crosses right", &Particle::CrossesRightEdge, 170.5f, 50, 10, 5, true},
      {"crosses right, exactly at the bound", &Particle::CrossesRightEdge, 170, 50, 10, 5, false},
      {"past top", &Particle::IsPastTopEdge, 50, 14.5f, 10, 5, true},
      {"past top, touching", &Particle::IsPastTopEdge, 50, 15.5f, 10, 5, false},
      {"past top, flipped sprite still touching", &Particle::IsPastTopEdge, 50, 15.5f, 10, -5, false},
      {"crosses top", &Particle::CrossesTopEdge, 50, 24.5f, 10, 5, true},
      {"crosses top, inside", &Particle::CrossesTopEdge, 50, 25.5f, 10, 5, false},
      {"past bottom", &Particle::IsPastBottomEdge, 50, 85.5f, 10, 5, true},
      {"past bottom, touching", &Particle::IsPastBottomEdge, 50, 84.5f, 10, 5, false},
      {"crosses bottom", &Particle::CrossesBottomEdge, 50, 75.5f, 10, 5, true},
      {"crosses bottom, inside", &Particle::CrossesBottomEdge, 50, 74.5f, 10, 5, false},
      {"past bottom says nothing of the top", &Particle::IsPastBottomEdge, 50, 5, 10, 5, false},
  };
  Bounded d;
  d.left = 0.0f;
  d.right = 0.9f;
  d.top = 0.2f;
  d.bottom = 0.8f;
  for (const Case& c : cases) {
    Particle p;
    p.position = D3DXVECTOR3(c.x, c.y, 0.0f);
    p.halfWidth = c.halfWidth;
    p.halfHeight = c.halfHeight;
    EXPECT_EQ(c.test(d, p), c.expected) << c.name;
  }
}

// The bounds are read at each call: the same particle is inside once the picture grows.
TEST_F(ParticleEdgesTest, BoundsFollowThePictureSize) {
  Bounded d;
  d.right = 0.5f;
  Particle p;
  p.position = D3DXVECTOR3(120.0f, 50.0f, 0.0f);
  p.halfWidth = 10.0f;
  EXPECT_TRUE(Particle::IsPastRightEdge(d, p));
  g_LayerView.pictureWidth = 400;
  EXPECT_FALSE(Particle::IsPastRightEdge(d, p));
  EXPECT_FALSE(Particle::CrossesRightEdge(d, p));
}

}  // namespace
