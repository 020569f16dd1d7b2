#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "document/media_rectangle.h"
#include "objects/discharge_constructor.h"
#include "objects/flower_constructor.h"
#include "objects/grass_constructor.h"
#include "objects/stat_obj_constructor.h"
#include "render/quad_corners.h"
#include "render/sprite_array_obj.h"
#include "slideshow/view_2d.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace {

using namespace particle_class_test;
using docbuild::Bytes;

constexpr float kPi = 3.1415927f;

class StaticSpritesTest : public ParticleClassTest {
 protected:
  void TearDown() override {
    SetScreenToPicture(nullptr);
    ParticleClassTest::TearDown();
  }
  // A particle as the geometry hands it to a static object: size factor 1 and the given picture
  // aspect (height / width).
  static Particle Prepared(float aspect) {
    Particle p;
    p.aspect = aspect;
    return p;
  }
};

// The blade is set so that its wave is at its crest: sin(a) = 1 and the angle is 90 + amplitude.
TEST_F(StaticSpritesTest, AGrassBladeLeansByItsAmplitudeWithItsFootAtTheAnchor) {
  struct Row {
    float amplitude;
    float shear;  // 1 / tan(180 - angle)
  };
  const Row rows[] = {{3.0f, 0.0524078f}, {-3.0f, -0.0524078f}, {0.0f, 0.0f},
                      // Lying flat would be an endless shear: it is held at 89 degrees.
                      {90.0f, 57.28996f}, {120.0f, -1.7320508f}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.amplitude);
    DS_GrassConstructor grass;
    grass.amplitude = row.amplitude;
    Particle p;
    p.halfHeight = 20.0f;
    p.position.x = 500.0f;
    p.velocity.z = 500.0f;                 // anchor
    p.velocity.y = kPi / 2.0f - kPi;       // phase; the wave term at x = 500 of 1000 is pi
    grass.UpdateParticle(p);
    EXPECT_NEAR(p.axis2.x, row.shear, 1e-4f);
    EXPECT_FLOAT_EQ(p.axis2.y, 1.0f);
    EXPECT_NEAR(p.position.x, 500.0f - row.shear * 20.0f, 2e-3f);
    EXPECT_TRUE(std::isfinite(p.position.x));
  }
}

TEST_F(StaticSpritesTest, GrassStandsOnTheBottomBoundAtRandomPlacesBothWaysRound) {
  DS_GrassConstructor grass;
  grass.size.value = 40;
  grass.bottom = 0.8f;
  std::set<float> mirrors;
  for (int i = 0; i < 30; ++i) {
    const Particle p = Spawn(grass);
    EXPECT_FLOAT_EQ(p.position.y, 400.0f - p.halfHeight);
    EXPECT_GE(p.position.x, 0.0f);
    EXPECT_LE(p.position.x, 1000.0f);
    EXPECT_EQ(p.velocity.z, p.position.x);
    EXPECT_GE(p.velocity.y, 0.0f);
    EXPECT_LE(p.velocity.y, 1.5707964f);
    mirrors.insert(p.axis1.x);
  }
  EXPECT_EQ(mirrors, (std::set<float>{-1.0f, 1.0f}));
}

// Without a picture width the wave across the picture has nothing to run over: the blade still
// sways, with numbers.
TEST_F(StaticSpritesTest, GrassOnAPictureOfNoWidthStaysFinite) {
  g_LayerView.pictureWidth = 0;
  DS_GrassConstructor grass;
  Particle p;
  p.halfHeight = 20.0f;
  p.position.x = p.velocity.z = 30.0f;
  Frame(grass, p, 0.3f);
  EXPECT_TRUE(std::isfinite(p.position.x));
  EXPECT_TRUE(std::isfinite(p.axis2.x));
}

TEST_F(StaticSpritesTest, AStaticObjectIsBoundedByItsTurnedSprite) {
  struct Row {
    UINT rotation;
    D3DXVECTOR3 axis1, axis2;
    INT left, right, top, bottom;
  };
  // Centre (100, 50), half width 20, half height 10.
  const Row rows[] = {
      {0, {1, 0, 0}, {0, 1, 0}, 80, 120, 40, 60},
      // A quarter turn counterclockwise on the screen: the top faces left.
      {90, {0, -1, 0}, {1, 0, 0}, 90, 110, 30, 70},
      {180, {-1, 0, 0}, {0, -1, 0}, 80, 120, 40, 60},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rotation);
    DS_StatObjConstructor object;
    object.size.value = 40;
    object.rotation.value = row.rotation;
    object.rectangle.centreX.value = 100;
    object.rectangle.centreY.value = 50;
    Particle p = Prepared(0.5f);
    object.InitParticle(p);
    EXPECT_FLOAT_EQ(p.halfWidth, 20.0f);
    EXPECT_FLOAT_EQ(p.halfHeight, 10.0f);
    EXPECT_EQ(p.position, D3DXVECTOR3(100.0f, 50.0f, 0.0f));
    EXPECT_NEAR(p.axis1.x, row.axis1.x, 1e-6f);
    EXPECT_NEAR(p.axis1.y, row.axis1.y, 1e-6f);
    EXPECT_NEAR(p.axis2.x, row.axis2.x, 1e-6f);
    EXPECT_NEAR(p.axis2.y, row.axis2.y, 1e-6f);
    EXPECT_NEAR(object.rectangle.left.value, row.left, 1);
    EXPECT_NEAR(object.rectangle.right.value, row.right, 1);
    EXPECT_NEAR(object.rectangle.top.value, row.top, 1);
    EXPECT_NEAR(object.rectangle.bottom.value, row.bottom, 1);
  }
}

TEST_F(StaticSpritesTest, AStaticObjectsQuadAndHitAreaAreItsRectangle) {
  DS_StatObjConstructor object;
  object.size.value = 40;
  object.rectangle.centreX.value = 100;
  object.rectangle.centreY.value = 50;
  Particle p = Prepared(0.5f);
  object.InitParticle(p);
  ASSERT_EQ(object.rectangle.left.value, 80);
  ASSERT_EQ(object.rectangle.top.value, 40);

  QuadCorners quad;
  quad.corners[0].x = 7.0f;
  quad.corners[2].u = 0.5f;
  object.GetScreenQuad(&quad);
  const float expected[4][2] = {{80, 60}, {80, 40}, {120, 60}, {120, 40}};
  const QuadCorners defaults;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(quad.corners[i].x, expected[i][0]);
    EXPECT_FLOAT_EQ(quad.corners[i].y, expected[i][1]);
    EXPECT_FLOAT_EQ(quad.corners[i].z, defaults.corners[i].z);
    EXPECT_FLOAT_EQ(quad.corners[i].u, defaults.corners[i].u);
    EXPECT_FLOAT_EQ(quad.corners[i].v, defaults.corners[i].v);
  }

  SetScreenToPicture([](float x, float y, float* px, float* py) {
    *px = x;
    *py = y;
    return true;
  });
  EXPECT_TRUE(object.HitTest(100.0f, 50.0f));
  EXPECT_TRUE(object.HitTest(80.0f, 60.0f));  // the edges belong to it
  EXPECT_FALSE(object.HitTest(79.5f, 50.0f));
  EXPECT_FALSE(object.HitTest(100.0f, 61.0f));
}

TEST_F(StaticSpritesTest, AStaticObjectsSpriteObjectIsMarkedStatic) {
  DS_StatObjConstructor object;
  object.count.value = 1;
  std::unique_ptr<DS_ABObj> made(object.CreateObject());
  auto* sprites = dynamic_cast<DS_SpriteArrayObj*>(made.get());
  ASSERT_NE(sprites, nullptr);
  EXPECT_EQ(sprites->staticObject, 1);
}

// The foot (position plus half height along the unswayed axis 2) stays while the head sways.
TEST_F(StaticSpritesTest, AFlowerSwaysAboutItsFoot) {
  for (UINT rotation : {0u, 30u, 270u}) {
    SCOPED_TRACE(rotation);
    DS_FlowerConstructor flower;
    flower.sway = 10.0f;
    flower.size.value = 60;
    flower.rotation.value = rotation;
    flower.rectangle.centreX.value = 300;
    flower.rectangle.centreY.value = 200;
    Particle p = Prepared(2.0f);
    flower.InitParticle(p);
    const D3DXVECTOR3 upright = p.axis2;
    const D3DXVECTOR3 foot(300.0f + upright.x * p.halfHeight, 200.0f + upright.y * p.halfHeight, 0.0f);
    float largestLean = 0.0f;
    for (int frame = 0; frame < 20; ++frame) {
      Frame(flower, p, 0.15f);
      EXPECT_NEAR(p.position.x + p.axis2.x * p.halfHeight, foot.x, 1e-3f);
      EXPECT_NEAR(p.position.y + p.axis2.y * p.halfHeight, foot.y, 1e-3f);
      largestLean = std::fmax(largestLean, std::fabs(p.axis2.x - upright.x) + std::fabs(p.axis2.y - upright.y));
    }
    EXPECT_GT(largestLean, 0.1f);
  }
}

TEST_F(StaticSpritesTest, ADischargeNeverShowsTheSameFrameTwiceInARow) {
  DS_DischargeConstructor discharge;
  discharge.frameCount = 4;
  std::set<UINT> seen;
  UINT frame = 0;
  for (int i = 0; i < 200; ++i) {
    const UINT next = discharge.NextFrame(frame);
    ASSERT_NE(next, frame);
    ASSERT_LT(next, 4u);
    seen.insert(next);
    frame = next;
  }
  EXPECT_EQ(seen.size(), 4u);
  // With no other frame to go to, the current one stays (and the call returns).
  for (UINT frames : {0u, 1u}) {
    discharge.frameCount = frames;
    EXPECT_EQ(discharge.NextFrame(0), 0u);
  }
}

struct StatRows {
  INT rect[6] = {10, 90, 20, 80, 50, 50};
  uint32_t rotation = 45;
};

// A version-4 sprite record: the version-6 rows without the flips and the refill flag.
void OldSpriteRecord(docbuild::DocumentBuilder& doc) {
  const SpriteRows r;
  doc.Header(u"DS_BaseSpriteProp", 4);
  doc.Header(u"DS_ViewObjCtrl", 2);
  for (int i = 0; i < 6; ++i) doc.I32(0);
  doc.F32(r.left).F32(r.right).F32(r.top).F32(r.bottom).U8(0).U32(r.speed);
  doc.Header(u"DS_ABObj_Constructor", 1).String(r.name);
  doc.U32(r.count).U32(r.size).U32(r.transparency).I32(0).U32(r.color);
  doc.F32(r.alphaRate).F32(r.alphaMin).F32(r.alphaMax).F32(r.sizeMin).F32(r.sizeMax);
  doc.Link(u"", 0).Link(u"", 0);
  doc.U32(1).F32(0.0f).U32(1).F32(0.0f).U8(0);
  doc.I32(0);
}

// A version-1 level stores its flips (vertical 1, horizontal 2) between the rotation and the
// sprite record.
void StatRecord(docbuild::DocumentBuilder& doc, uint32_t version, const StatRows& r, bool oldSprites = false) {
  doc.Header(u"DS_StatObjConstructor", version);
  for (INT v : r.rect) doc.I32(v);
  doc.U32(r.rotation);
  if (version < 2) doc.I32(1).I32(2);
  if (oldSprites)
    OldSpriteRecord(doc);
  else
    SpriteRecord(doc, SpriteRows{});
}

// Each class reads its record whole and writes the same bytes back.
TEST_F(StaticSpritesTest, RecordsAreReadWholeAndWrittenBack) {
  struct Row {
    const char* what;
    void (*build)(docbuild::DocumentBuilder&);
  };
  const Row rows[] = {
      {"grass", [](docbuild::DocumentBuilder& d) {
         d.Header(u"DS_GrassConstructor", 1).F32(4.5f);
         SpriteRecord(d, SpriteRows{});
       }},
      {"static object", [](docbuild::DocumentBuilder& d) { StatRecord(d, 2, StatRows{}); }},
      {"flower", [](docbuild::DocumentBuilder& d) {
         d.Header(u"DS_FlowerConstructor", 1).F32(2.5f);
         StatRecord(d, 2, StatRows{});
       }},
      {"discharge", [](docbuild::DocumentBuilder& d) {
         d.Header(u"DS_DischargeConstructor", 1);
         StatRecord(d, 2, StatRows{});
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    docbuild::DocumentBuilder doc;
    row.build(doc);
    bool consumedAll = false;
    auto object = ReadObject(doc.Document(), &consumedAll);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(consumedAll);
    EXPECT_EQ(dynamic_cast<DS_BaseSpriteProp*>(object.get())->count.value, SpriteRows{}.count);
    if (auto* stat = dynamic_cast<DS_StatObjConstructor*>(object.get())) {
      EXPECT_EQ(stat->rectangle.right.value, 90);
      EXPECT_EQ(stat->rectangle.centreY.value, 50);
      EXPECT_EQ(stat->rotation.value, 45u);
    }
    docbuild::BuilderStream out;
    DS_IOF_Virtual* stream = &out;
    EXPECT_TRUE(object->Save(&stream));
    EXPECT_EQ(out.Written(), doc.Document());
  }
}

// The flips of a version-1 static level sit between the rotation and the sprite record; a flower
// or discharge reads them by the nested level's own version.
TEST_F(StaticSpritesTest, AVersionOneStaticLevelCarriesItsFlips) {
  for (const char16_t* outer : {u"", u"DS_FlowerConstructor", u"DS_DischargeConstructor"}) {
    docbuild::DocumentBuilder doc;
    const std::u16string outerName(outer);
    if (outerName == u"DS_FlowerConstructor") doc.Header(outerName, 1).F32(1.5f);
    if (outerName == u"DS_DischargeConstructor") doc.Header(outerName, 1);
    StatRecord(doc, 1, StatRows{}, true);
    bool consumedAll = false;
    auto object = ReadObject(doc.Document(), &consumedAll);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(consumedAll);
    auto* stat = dynamic_cast<DS_StatObjConstructor*>(object.get());
    ASSERT_NE(stat, nullptr);
    EXPECT_EQ(stat->rotation.value, 45u);
    EXPECT_EQ(stat->count.value, SpriteRows{}.count);
    EXPECT_EQ(stat->size.value, SpriteRows{}.size);
    EXPECT_EQ(stat->verticalFlip.value, 1);
    EXPECT_EQ(stat->horizontalFlip.value, 2);
  }
}

TEST_F(StaticSpritesTest, ATruncatedStaticRecordIsNotTakenAsWhole) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_FlowerConstructor", 1).F32(2.5f);
  StatRecord(doc, 2, StatRows{});
  for (size_t cut : {size_t{30}, size_t{70}, doc.Document().size() - 2}) {
    SCOPED_TRACE(cut);
    const Bytes bytes(doc.Document().begin(), doc.Document().begin() + static_cast<std::ptrdiff_t>(cut));
    bool consumedAll = true;
    ReadObject(bytes, &consumedAll);
    EXPECT_FALSE(consumedAll);
  }
}

}  // namespace
