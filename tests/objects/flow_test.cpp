// Flow layers: motion along the angle, the sideways wobble, the orientations, the edge controls the
// copy binds to itself, and the stored record in each of its versions.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "objects/flow_constructor.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace particle_class_test {
namespace {

constexpr float kTolerance = 1e-3f;

class FlowTest : public ParticleClassTest {
 protected:
  // A flow of 10-pixel sprites with the given angle and speed, no wobble, of size factor `sf`.
  static std::unique_ptr<DS_FlowConstructor> Flow(UINT angle, float speed, float sf = 1.0f) {
    auto d = std::make_unique<DS_FlowConstructor>();
    d->angle.value = angle;  // stored as a reader stores it: the copy makes the vectors
    d->speed = speed;
    d->size = 10;
    d->sizeFactorMinimum = d->sizeFactorMaximum = sf;
    return d;
  }
};

TEST_F(FlowTest, ParticlesMoveAlongTheAngleAtTheSpeedTimesTheirSizeFactor) {
  struct Case {
    UINT angle;
    float sizeFactor, dx, dy;  // pixels moved in 0.1 s at speed 100
  };
  const Case cases[] = {
      {0, 1.0f, 10.0f, 0.0f}, {0, 0.5f, 5.0f, 0.0f},     {90, 1.0f, 0.0f, -10.0f},
      {180, 1.0f, -10.0f, 0.0f}, {270, 1.0f, 0.0f, 10.0f}, {270, 2.0f, 0.0f, 20.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle << ", size factor " << c.sizeFactor);
    auto live = Live(*Flow(c.angle, 100.0f, c.sizeFactor));
    Particle p = Spawn(*live);
    p.position = D3DXVECTOR3(500.0f, 250.0f, 0.0f);
    Frame(*live, p);
    EXPECT_NEAR(p.position.x, 500.0f + c.dx, kTolerance);
    EXPECT_NEAR(p.position.y, 250.0f + c.dy, kTolerance);
  }
}

TEST_F(FlowTest, TheWobbleMovesSidewaysAndChangesOnlyAsOftenAsItsRateAllows) {
  // Stored 10 is 30 pixels per second at full wobble; stored 4 is one change per second.
  auto d = Flow(0, 0.0f);
  d->wobbleAmplitude.value = 10;
  d->wobbleRate.value = 4;
  auto live = Live(*d);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(500.0f, 250.0f, 0.0f);
  p.velocity.z = -1.0f;
  Frame(*live, p, 0.15f);
  EXPECT_NEAR(p.position.y, 250.0f - 4.5f, kTolerance);
  EXPECT_NEAR(p.position.x, 500.0f, kTolerance);
  for (int i = 0; i < 5; ++i) Frame(*live, p, 0.15f);  // 0.9 s
  EXPECT_EQ(p.timer, 0.0f);
  Frame(*live, p, 0.15f);  // 1.05 s: a decision is due
  EXPECT_NEAR(p.timer, 1.05f, kTolerance);
  EXPECT_GE(p.velocity.z, -1.0f);
  EXPECT_LE(p.velocity.z, 1.0f);

  // A rate of 0 keeps the wobble for ever.
  d->wobbleRate.value = 0;
  auto still = Live(*d);
  Particle q = Spawn(*still);
  const float wobble = q.velocity.z;
  for (int i = 0; i < 40; ++i) Frame(*still, q, 0.2f);
  EXPECT_EQ(q.timer, 0.0f);
  EXPECT_EQ(q.velocity.z, wobble);
}

TEST_F(FlowTest, NewParticlesAreTurnedWithTheFlowOnlyInOrientationOne) {
  struct Case {
    INT orientation;
    D3DXVECTOR3 axis1, axis2;
  };
  // Angle 90 flows up: turned, the sprite's horizontal points up the picture.
  const Case cases[] = {
      {0, {1, 0, 0}, {0, 1, 0}},
      {1, {0, -1, 0}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation);
    auto d = Flow(90, 50.0f);
    d->orientation = c.orientation;
    auto live = Live(*d);
    const Particle p = Spawn(*live);
    EXPECT_NEAR(p.axis1.x, c.axis1.x, kTolerance);
    EXPECT_NEAR(p.axis1.y, c.axis1.y, kTolerance);
    EXPECT_NEAR(p.axis2.x, c.axis2.x, kTolerance);
    EXPECT_NEAR(p.axis2.y, c.axis2.y, kTolerance);
    EXPECT_EQ(p.direction, D3DXVECTOR3(1.0f, 1.0f, 0.0f));
    EXPECT_GE(p.velocity.z, -1.0f);
    EXPECT_LE(p.velocity.z, 1.0f);
  }
}

TEST_F(FlowTest, OrientationTwoMirrorsWhileMovingLeftAndUnmirrorsAfterABounce) {
  auto d = Flow(180, 100.0f);
  d->orientation = DS_FlowConstructor::kMirroredLeft;
  d->left = 0.1f;  // 100 px
  d->leftEdge.mode = DS_BoundControl::kBounce;
  auto live = Live(*d);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(300.0f, 250.0f, 0.0f);
  Frame(*live, p);
  EXPECT_EQ(p.axis1, D3DXVECTOR3(-1.0f, 0.0f, 0.0f));
  // Moving left 10 px a frame, the 5-px half width reaches the bound at x 105.
  int frames = 0;
  while (p.direction.x > 0.0f && frames++ < 40) Frame(*live, p);
  ASSERT_LT(p.direction.x, 0.0f) << "never bounced";
  EXPECT_EQ(p.axis1.x, -1.0f);  // the frame of the bounce still moved left
  Frame(*live, p);
  EXPECT_EQ(p.axis1, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
  Frame(*live, p);
  EXPECT_EQ(p.axis1.x, 1.0f);
  EXPECT_GT(p.position.x, 100.0f);
}

TEST_F(FlowTest, OrientationThreeMirrorsTopBottomWhileMovingUp) {
  for (UINT angle : {90u, 270u}) {
    SCOPED_TRACE(angle);
    auto d = Flow(angle, 100.0f);
    d->orientation = DS_FlowConstructor::kMirroredUp;
    auto live = Live(*d);
    Particle p = Spawn(*live);
    p.position = D3DXVECTOR3(500.0f, 250.0f, 0.0f);
    Frame(*live, p);
    EXPECT_EQ(p.axis1, D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(p.axis2, D3DXVECTOR3(0.0f, angle == 90u ? -1.0f : 1.0f, 0.0f));
  }
}

// Wrap with no fades and no pause, bounds 100 to 400 high: the particle comes back 1 px below the
// top, somewhere across, and is free a few frames later.
TEST_F(FlowTest, AParticleLeavingThroughTheBottomReappearsJustBelowTheTop) {
  auto d = Flow(270, 100.0f);
  d->top = 0.2f;
  d->bottom = 0.8f;
  auto live = Live(*d);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(500.0f, 395.0f, 0.0f);
  int frames = 0;
  while (p.position.y > 200.0f && frames++ < 12) Frame(*live, p);
  ASSERT_LT(p.position.y, 200.0f) << "never came back";
  EXPECT_EQ(p.position.y, 101.0f);
  EXPECT_GE(p.position.x, 0.0f);
  EXPECT_LE(p.position.x, 1000.0f);
  frames = 0;
  while (p.touchedEdge != -1 && frames++ < 5) Frame(*live, p);
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_EQ(p.alpha, 1.0f);
  EXPECT_FALSE(p.paused);
  const float y = p.position.y;
  Frame(*live, p);
  EXPECT_NEAR(p.position.y, y + 10.0f, kTolerance);
}

// The copy's edges test against the copy's own bounds, not the original's, and it outlives it.
TEST_F(FlowTest, TheCopysEdgesAreItsOwn) {
  auto d = Flow(0, 100.0f);
  for (DS_BoundControl* edge : {&d->topEdge, &d->bottomEdge, &d->leftEdge, &d->rightEdge})
    edge->mode = DS_BoundControl::kBounce;
  auto live = Live(*d);
  d->right = 0.5f;  // the original's right bound at 500 px
  auto second = Live(*d);
  d.reset();
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(600.0f, 250.0f, 0.0f);
  Frame(*live, p);
  EXPECT_EQ(p.direction.x, 1.0f);
  EXPECT_EQ(p.touchedEdge, -1);
  Particle q = Spawn(*second);
  q.position = D3DXVECTOR3(494.0f, 250.0f, 0.0f);
  Frame(*second, q);
  EXPECT_EQ(q.direction.x, -1.0f);
  EXPECT_EQ(q.touchedEdge, 3);
}

// ---- the stored record ----

struct EdgeRows {
  int32_t mode;
  uint32_t fadeOut, fadeIn, minLife, maxLife;
};

const EdgeRows kEdges[4] = {{1, 10, 20, 30, 40}, {2, 50, 60, 70, 80}, {0, 90, 100, 110, 120}, {3, 1, 2, 3, 4}};

// Header, the flow fields of `version` with orientation Int `orientation`, the edges, the sprite record.
void FlowRecord(docbuild::DocumentBuilder& doc, uint32_t version, int32_t orientation, const SpriteRows& rows) {
  doc.Header(u"DS_FlowConstructor", version).U32(45).U32(10).U32(4).F32(120.5f);
  if (version >= 2) doc.I32(orientation);
  if (version >= 4)
    for (const EdgeRows& e : kEdges) doc.Header(u"DS_BoundControl", 1).I32(e.mode).U32(e.fadeOut).U32(e.fadeIn).U32(e.minLife).U32(e.maxLife);
  SpriteRecord(doc, rows);
}

TEST_F(FlowTest, RecordsOfEachVersionReadTheirRows) {
  struct Case {
    uint32_t version;
    int32_t storedOrientation;
    INT orientation;
    bool edges;
  };
  const Case cases[] = {
      {1, 0, 0, false},  // neither orientation nor edges
      {2, 5, 1, false},  // a flag: anything nonzero turns with the flow
      {2, 0, 0, false}, {3, 3, 3, false}, {4, 2, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    docbuild::DocumentBuilder doc;
    SpriteRows rows;
    rows.count = 9;
    FlowRecord(doc, c.version, c.storedOrientation, rows);
    bool consumedAll = false;
    auto object = ReadObject(doc.Document(), &consumedAll);
    auto* flow = dynamic_cast<DS_FlowConstructor*>(object.get());
    ASSERT_NE(flow, nullptr);
    EXPECT_TRUE(consumedAll);
    EXPECT_EQ(flow->angle.value, 45u);
    EXPECT_EQ(flow->wobbleAmplitude.value, 10u);
    EXPECT_EQ(flow->wobbleRate.value, 4u);
    EXPECT_EQ(flow->speed, 120.5f);
    EXPECT_EQ(flow->orientation.value, c.orientation);
    EXPECT_EQ(flow->count.value, 9u);
    const DS_BoundControl* edges[] = {&flow->topEdge, &flow->bottomEdge, &flow->leftEdge, &flow->rightEdge};
    for (int i = 0; i < 4; ++i) {
      const EdgeRows expected = c.edges ? kEdges[i] : EdgeRows{0, 0, 0, 0, 0};
      EXPECT_EQ(edges[i]->mode.value, expected.mode);
      EXPECT_EQ(edges[i]->fadeOutTime.value, expected.fadeOut);
      EXPECT_EQ(edges[i]->fadeInTime.value, expected.fadeIn);
      EXPECT_EQ(edges[i]->minimumLife.value, expected.minLife);
      EXPECT_EQ(edges[i]->maximumLife.value, expected.maxLife);
      EXPECT_EQ(edges[i]->edge, i);
    }
  }
}

TEST_F(FlowTest, SavingAReadVersionFourRecordWritesItBack) {
  docbuild::DocumentBuilder doc;
  FlowRecord(doc, 4, 1, SpriteRows{});
  bool consumedAll = false;
  auto object = ReadObject(doc.Document(), &consumedAll);
  ASSERT_NE(object, nullptr);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(object->Save(&stream));
  EXPECT_EQ(out.Written(), doc.Document());
}

// Read values reach the render object's copy: derived wobble, vectors from the read angle and speed.
TEST_F(FlowTest, AReadFlowMovesAsItsRecordSays) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_FlowConstructor", 3).U32(90).U32(0).U32(0).F32(200.0f).I32(0);
  SpriteRecord(doc, SpriteRows{});
  bool consumedAll = false;
  auto object = ReadObject(doc.Document(), &consumedAll);
  auto* flow = dynamic_cast<DS_FlowConstructor*>(object.get());
  ASSERT_NE(flow, nullptr);
  auto live = Live(*flow);
  Particle p = Spawn(*live);
  p.position = D3DXVECTOR3(500.0f, 250.0f, 0.0f);
  Frame(*live, p);
  EXPECT_NEAR(p.position.x, 500.0f, kTolerance);
  EXPECT_NEAR(p.position.y, 230.0f, kTolerance);
}

}  // namespace
}  // namespace particle_class_test
