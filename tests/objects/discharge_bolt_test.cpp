#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "document/file_link.h"
#include "objects/discharge_fx_constructor.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace {

using namespace particle_class_test;
using docbuild::Bytes;

constexpr float kTolerance = 1e-3f;

// A bolt as its render object runs it: `count` particles, each started as the geometry starts it.
class DischargeBoltTest : public ParticleClassTest {
 protected:
  void Make(UINT count, D3DXVECTOR3 start, D3DXVECTOR3 end) {
    bolt.count.value = count;
    bolt.startPoint.value = start;
    bolt.endPoint.value = end;
    particles.clear();
    for (UINT i = 0; i < count; ++i) particles.push_back(Spawn(bolt));
  }
  // One frame of the glow object: the scene time moves on, the shape step, then every particle.
  void RunFrame(float seconds) {
    bolt.TimeStep(bolt.lastTime + seconds);
    bolt.PreUpdate();
    for (Particle& p : particles) bolt.UpdateParticle(p);
  }
  // Where segment i of a shape ends.
  static D3DXVECTOR3 SegmentEnd(const BoltPoint& b) {
    return D3DXVECTOR3(b.centre.x + b.direction.x * b.length * 0.5f, b.centre.y + b.direction.y * b.length * 0.5f,
                       b.centre.z + b.direction.z * b.length * 0.5f);
  }
  static D3DXVECTOR3 SegmentStart(const BoltPoint& b) {
    return D3DXVECTOR3(b.centre.x - b.direction.x * b.length * 0.5f, b.centre.y - b.direction.y * b.length * 0.5f,
                       b.centre.z - b.direction.z * b.length * 0.5f);
  }
  static void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
  }

  DS_DischargeFXConstructor bolt;
  std::vector<Particle> particles;
};

TEST_F(DischargeBoltTest, ANewBoltCarriesItsDocumentedLook) {
  EXPECT_EQ(bolt.size.value, 50u);
  EXPECT_EQ(bolt.blendMode.value, 1);
  EXPECT_EQ(bolt.color.value, 0xFFFFCCu);
  EXPECT_EQ(bolt.glowColor.value, 0xFF9900u);
  const DS_FileLink3 effect = DS_FileLink3::ConstructFromResource(97, u"vaultkit.dll");
  EXPECT_EQ(bolt.effectLink.path, effect.path);
  EXPECT_EQ(bolt.effectLink.stamp, effect.stamp);
  EXPECT_FLOAT_EQ(bolt.jitter.derived, 0.5f);
  EXPECT_NEAR(bolt.flickerInterval.derived, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(bolt.morphRate.derived, 5.0f);
}

TEST_F(DischargeBoltTest, OneSegmentRunsStraightFromStartToEndWithBothCaps) {
  // The jitter stays at its default: the last segment never turns.
  Make(1, D3DXVECTOR3(10.0f, 20.0f, 0.0f), D3DXVECTOR3(310.0f, 420.0f, 0.0f));
  RunFrame(0.01f);
  const Particle& p = particles[0];
  ExpectNear(p.position, D3DXVECTOR3(160.0f, 220.0f, 0.0f));
  ExpectNear(p.axis1, D3DXVECTOR3(0.6f, 0.8f, 0.0f));
  EXPECT_NEAR(p.halfWidth, 250.0f, kTolerance);
  EXPECT_FLOAT_EQ(p.halfHeight, 25.0f);
  EXPECT_FLOAT_EQ(p.uPair[0], 0.0f);
  EXPECT_FLOAT_EQ(p.uPair[1], 1.0f);
}

TEST_F(DischargeBoltTest, WithoutJitterTheSegmentsShareTheLineEvenly) {
  bolt.jitter.SetAndNotify(0u);
  Make(5, D3DXVECTOR3(100.0f, 100.0f, 0.0f), D3DXVECTOR3(500.0f, 100.0f, 0.0f));
  RunFrame(0.01f);
  struct Row {
    float centreX, u0, u1;
  };
  const Row rows[] = {{140, 0.0f, 0.805f}, {220, 0.195f, 0.805f}, {300, 0.195f, 0.805f},
                      {380, 0.195f, 0.805f}, {460, 0.195f, 1.0f}};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    const Particle& p = particles[i];
    ExpectNear(p.position, D3DXVECTOR3(rows[i].centreX, 100.0f, 0.0f));
    EXPECT_NEAR(p.halfWidth, 40.0f, kTolerance);
    ExpectNear(p.axis1, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    // Square to the line from start to end.
    ExpectNear(p.axis2, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.uPair[0], rows[i].u0);
    EXPECT_FLOAT_EQ(p.uPair[1], rows[i].u1);
    EXPECT_EQ(p.velocity, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
  }
}

// However far the segments turn, each begins where the one before ended and the last ends at the
// end point.
TEST_F(DischargeBoltTest, AJitteredShapeIsOneChainEndingAtTheEndPoint) {
  bolt.jitter.SetAndNotify(150u);
  const D3DXVECTOR3 start(50.0f, 400.0f, 0.0f), end(700.0f, 80.0f, 0.0f);
  Make(7, start, end);
  for (const std::vector<BoltPoint>* shape : {&bolt.currentBolt, &bolt.nextBolt}) {
    ASSERT_EQ(shape->size(), 7u);
    ExpectNear(SegmentStart(shape->front()), start);
    for (size_t i = 1; i < shape->size(); ++i) ExpectNear(SegmentStart((*shape)[i]), SegmentEnd((*shape)[i - 1]));
    ExpectNear(SegmentEnd(shape->back()), end);
  }
  // The two shapes are two different draws.
  EXPECT_NE(bolt.currentBolt[2].centre, bolt.nextBolt[2].centre);
}

// The default points coincide: no direction and no normal, but numbers, never NaN.
TEST_F(DischargeBoltTest, ABoltWithNoLengthHasZeroSegments) {
  Make(3, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
  RunFrame(0.01f);
  for (const Particle& p : particles) {
    EXPECT_EQ(p.position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(p.axis1, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(p.axis2, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(p.halfWidth, 0.0f);
  }
}

// The blend factor is the time since the last shape times the morph rate: 10 per second reaches the
// next shape just as it takes over, more overshoots it.
TEST_F(DischargeBoltTest, TheMorphRateSetsHowFarSegmentsMoveTowardTheNextShape) {
  struct Row {
    UINT stored;
    float factor;
  };
  for (const Row row : {Row{50, 0.5f}, Row{100, 1.0f}, Row{200, 2.0f}}) {
    SCOPED_TRACE(row.stored);
    bolt.morphRate.SetAndNotify(row.stored);
    bolt.lastNewShape = 0.0f;
    bolt.animationTime = 0.0f;
    Make(4, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(400.0f, 300.0f, 0.0f));
    bolt.animationTime = 0.1f;
    bolt.PreUpdate();  // 0.1 s is not yet past the shape time: no new shape
    ASSERT_EQ(bolt.lastNewShape, 0.0f);
    for (Particle& p : particles) bolt.UpdateParticle(p);
    for (size_t k = 0; k < 4; ++k) {
      const BoltPoint& a = bolt.currentBolt[k];
      const BoltPoint& b = bolt.nextBolt[k];
      ExpectNear(particles[k].position, D3DXVECTOR3(a.centre.x + (b.centre.x - a.centre.x) * row.factor,
                                                    a.centre.y + (b.centre.y - a.centre.y) * row.factor, 0.0f));
      EXPECT_NEAR(particles[k].halfWidth, 0.5f * (a.length + (b.length - a.length) * row.factor), kTolerance);
    }
  }
}

TEST_F(DischargeBoltTest, PastTheShapeTimeTheNextShapeTakesOverAndANewOneIsMade) {
  Make(4, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(400.0f, 300.0f, 0.0f));
  const std::vector<BoltPoint> approached = bolt.nextBolt;
  bolt.segmentCursor = 3;
  bolt.animationTime = 0.125f;
  bolt.PreUpdate();
  EXPECT_EQ(bolt.segmentCursor, 0u);
  EXPECT_FLOAT_EQ(bolt.lastNewShape, 0.125f);
  // The bolt jumps to the shape it was approaching and sets out for a fresh one.
  for (size_t k = 0; k < 4; ++k) {
    Particle& p = particles[k];
    bolt.UpdateParticle(p);
    ExpectNear(p.position, approached[k].centre);
  }
  EXPECT_NE(bolt.nextBolt[1].centre, approached[1].centre);
}

// Frame after frame, particle k takes segment k of the blend, also across a change of shape.
TEST_F(DischargeBoltTest, EveryFrameTheParticlesTakeTheirSegmentsInOrder) {
  Make(4, D3DXVECTOR3(20.0f, 300.0f, 0.0f), D3DXVECTOR3(800.0f, 100.0f, 0.0f));
  for (int frame = 0; frame < 8; ++frame) {
    SCOPED_TRACE(frame);
    RunFrame(0.04f);
    EXPECT_EQ(bolt.segmentCursor, 4u);
    const float f = (bolt.animationTime - bolt.lastNewShape) * bolt.morphRate.derived;
    for (size_t k = 0; k < 4; ++k) ExpectNear(particles[k].position, bolt.BlendPoint(k, f).centre);
  }
  EXPECT_GT(bolt.lastNewShape, 0.0f);  // a new shape came in on the way
}

bool IsBoltHalf(const Particle& p) {
  const std::set<std::pair<float, float>> halves = {{0.0f, 0.5f}, {0.5f, 0.0f}, {0.5f, 1.0f}, {1.0f, 0.5f}};
  return halves.count({p.vPair[0], p.vPair[1]}) == 1;
}

TEST_F(DischargeBoltTest, WithTheDefaultIntervalEveryFramePicksANewHalf) {
  Make(3, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(300.0f, 0.0f, 0.0f));
  std::set<std::pair<float, float>> seen;
  for (int frame = 0; frame < 40; ++frame) {
    RunFrame(0.02f);
    for (const Particle& p : particles) {
      EXPECT_FLOAT_EQ(p.timer, bolt.lastTime);
      EXPECT_TRUE(IsBoltHalf(p));
      seen.insert({p.vPair[0], p.vPair[1]});
    }
  }
  EXPECT_EQ(seen.size(), 4u);  // both halves, each both ways up
}

TEST_F(DischargeBoltTest, AStoredIntervalOfZeroAllowsAtMostTenChangesASecond) {
  bolt.flickerInterval.SetAndNotify(0u);
  EXPECT_FLOAT_EQ(bolt.flickerInterval.derived, 0.1f);
  Make(2, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(300.0f, 0.0f, 0.0f));
  std::vector<float> changes;
  float timer = particles[0].timer;
  for (int frame = 0; frame < 100; ++frame) {  // two seconds of scene time
    RunFrame(0.02f);
    if (particles[0].timer != timer) {
      timer = particles[0].timer;
      changes.push_back(timer);
    }
  }
  ASSERT_GE(changes.size(), 2u);
  EXPECT_LE(changes.size(), 20u);
  for (size_t i = 1; i < changes.size(); ++i) EXPECT_GT(changes[i] - changes[i - 1], 0.1f);
}

// Whatever picture the record named, the texture style picks the bolt picture of the shared library.
TEST_F(DischargeBoltTest, TheTextureStyleChoosesTheBoltPicture) {
  struct Row {
    INT style;
    INT id;
  };
  for (const Row row : {Row{1, 95}, Row{0, 98}, Row{-4, 95}}) {
    SCOPED_TRACE(row.style);
    bolt.textureStyle.value = row.style;
    bolt.imageLink = DS_FileLink3::ConstructFromPath(u"own bolt.png");
    bolt.LoadResources();
    const DS_FileLink3 expected = DS_FileLink3::ConstructFromResource(row.id, u"vaultkit.dll");
    EXPECT_EQ(bolt.imageLink.path, expected.path);
    EXPECT_EQ(bolt.imageLink.stamp, expected.stamp);
  }
}

struct BoltRows {
  float start[3] = {100.0f, 120.0f, 0.0f};
  float end[3] = {600.0f, 80.0f, 0.0f};
  uint32_t jitter = 20, flicker = 0, morph = 100;
  int32_t style = 0;
  uint32_t glowColor = 0x00123456u, intensity = 50;
  uint32_t count = SpriteRows{}.count;
};

void BoltRecord(docbuild::DocumentBuilder& doc, const BoltRows& r) {
  doc.Header(u"DS_DischargeFXConstructor", 1);
  for (float v : r.start) doc.F32(v);
  for (float v : r.end) doc.F32(v);
  doc.U32(r.jitter).I32(r.style).U32(r.flicker).U32(r.morph);
  doc.Header(u"DS_GlowEffectCtrl", 1).U32(r.glowColor).U32(r.intensity);
  doc.Header(u"DS_FXParticleSystemCtrl", 1).Link(u"vaultkit.dll", 97);
  SpriteRows sprites;
  sprites.count = r.count;
  SpriteRecord(doc, sprites);
}

TEST_F(DischargeBoltTest, ARecordIsReadWithItsDerivedSettingsAndWrittenBackUnchanged) {
  docbuild::DocumentBuilder doc;
  BoltRecord(doc, BoltRows{});
  bool consumedAll = false;
  auto object = ReadObject(doc.Document(), &consumedAll);
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(consumedAll);
  auto* read = dynamic_cast<DS_DischargeFXConstructor*>(object.get());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->startPoint.value, D3DXVECTOR3(100.0f, 120.0f, 0.0f));
  EXPECT_EQ(read->endPoint.value, D3DXVECTOR3(600.0f, 80.0f, 0.0f));
  EXPECT_FLOAT_EQ(read->jitter.derived, 0.2f);
  EXPECT_EQ(read->textureStyle.value, 0);
  EXPECT_FLOAT_EQ(read->flickerInterval.derived, 0.1f);
  EXPECT_FLOAT_EQ(read->morphRate.derived, 10.0f);
  EXPECT_EQ(read->glowColor.value, 0x00123456u);
  EXPECT_FLOAT_EQ(read->glowIntensity.derived, 0.5f);
  EXPECT_EQ(read->effectLink.path, u"vaultkit.dll");
  EXPECT_EQ(read->effectLink.stamp, 97);
  EXPECT_EQ(read->count.value, SpriteRows{}.count);

  // The render object's copy keeps every derived setting.
  auto live = Live(*read);
  EXPECT_FLOAT_EQ(live->morphRate.derived, 10.0f);
  EXPECT_FLOAT_EQ(live->glowIntensity.derived, 0.5f);

  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(read->Save(&stream));
  EXPECT_EQ(out.Written(), doc.Document());
}

// A stored segment count beyond what a picture can show (up to 0xFFFFFFFF, which would not fit in
// memory) is held at the most segments a bolt has; the shapes never grow beyond it either.
TEST_F(DischargeBoltTest, AHugeStoredCountIsHeldAtTheMostSegmentsABoltHas) {
  for (uint32_t count : {DS_DischargeFXConstructor::kMaxSegments, DS_DischargeFXConstructor::kMaxSegments + 1,
                         0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(count);
    docbuild::DocumentBuilder doc;
    BoltRows rows;
    rows.count = count;
    BoltRecord(doc, rows);
    bool consumedAll = false;
    auto object = ReadObject(doc.Document(), &consumedAll);
    auto* read = dynamic_cast<DS_DischargeFXConstructor*>(object.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->count.value, DS_DischargeFXConstructor::kMaxSegments);
  }
  bolt.count.value = 0xFFFFFFFFu;
  Spawn(bolt);
  EXPECT_EQ(bolt.currentBolt.size(), DS_DischargeFXConstructor::kMaxSegments);
  EXPECT_EQ(bolt.nextBolt.size(), DS_DischargeFXConstructor::kMaxSegments);
}

TEST_F(DischargeBoltTest, ATruncatedRecordIsNotTakenAsWhole) {
  docbuild::DocumentBuilder doc;
  BoltRecord(doc, BoltRows{});
  for (size_t cut : {size_t{40}, size_t{90}, doc.Document().size() - 3}) {
    SCOPED_TRACE(cut);
    const Bytes bytes(doc.Document().begin(), doc.Document().begin() + static_cast<std::ptrdiff_t>(cut));
    bool consumedAll = true;
    ReadObject(bytes, &consumedAll);
    EXPECT_FALSE(consumedAll);
  }
}

// A clone carries the shapes and the step it was made in, so the copy goes on where the original was.
TEST_F(DischargeBoltTest, ACloneContinuesTheSameBolt) {
  Make(3, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(300.0f, 100.0f, 0.0f));
  RunFrame(0.05f);
  auto live = Live(bolt);
  ASSERT_EQ(live->currentBolt.size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(live->currentBolt[k].centre, bolt.currentBolt[k].centre);
    EXPECT_EQ(live->nextBolt[k].centre, bolt.nextBolt[k].centre);
  }
  EXPECT_EQ(live->segmentCursor, bolt.segmentCursor);
  EXPECT_EQ(live->lastNewShape, bolt.lastNewShape);
}

}  // namespace
