// The edge controls of a flow layer, run frame by frame as the flow runs them: the four controls
// in the order top, bottom, left, right, stopping at the first that deals with the particle.
#include <gtest/gtest.h>

#include <array>

#include "document/iof_reader.h"
#include "objects/bound_control.h"
#include "render/particle.h"
#include "render/particle_sprite_prop.h"
#include "render/random.h"
#include "slideshow/view_2d.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

class Bounded : public DS_BaseSpriteProp {
 public:
  DS_ABObj* CreateObject() override { return nullptr; }
};

// A 200 x 100 picture; bounds left 20, right 180, top 20, bottom 80. Speed 50 (one second of
// animation per second), frames 0.1 s apart.
class BoundControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_LayerView = LayerView{};
    g_LayerView.pictureWidth = 200;
    g_LayerView.pictureHeight = 100;
    owner.left = 0.1f;
    owner.right = 0.9f;
    owner.top = 0.2f;
    owner.bottom = 0.8f;
    for (INT i = 0; i < 4; ++i) controls[i].BindEdge(i, &owner);
    p.position = D3DXVECTOR3(100.0f, 50.0f, 0.0f);
    p.direction = D3DXVECTOR3(1.0f, 1.0f, 0.0f);
    p.halfWidth = 5.0f;
    p.halfHeight = 5.0f;
    SRand(1);  // draws 41, 18467, 6334, ...
  }
  void TearDown() override { g_LayerView = LayerView{}; }

  // One frame: the clock, then the controls in order; the index of the one that acted, or -1.
  int Frame() {
    time += 0.1f;
    owner.TimeStep(time);
    for (int i = 0; i < 4; ++i)
      if (controls[i].Handle(owner, p)) return i;
    return -1;
  }
  void SetMode(INT mode) {
    for (DS_BoundControl& c : controls) c.mode = mode;
  }

  Bounded owner;
  std::array<DS_BoundControl, 4> controls;
  Particle p;
  float time = 0.0f;
};

// Wrap with no fades and no pause: touched, faded out, paused, moved across, unpaused and faded
// in, free; one frame each.
TEST_F(BoundControlTest, WrapMovesAParticlePastTheBottomToTheTop) {
  p.position.y = 90.0f;  // 80 < 90 - 5
  struct Step {
    int acted, touched, respawned;
    float alpha;
    bool paused;
  };
  const Step steps[] = {
      {1, 1, 0, 1.0f, false},  // the fade-out begins
      {1, 1, 0, 0.0f, false},  // a fade-out time of 0 empties the alpha at once
      {1, -1, 0, 0.0f, true},  // the pause begins (one draw for its length)
      {1, 1, 1, 0.0f, true},   // still past with alpha 0: moved just inside the top (one draw)
      {1, 1, 1, 1.0f, false},  // the zero-length pause is over; a fade-in time of 0 fills the alpha
      {1, -1, 0, 1.0f, false}, // fully visible: free again
      {-1, -1, 0, 1.0f, false},
  };
  int frame = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(++frame);
    EXPECT_EQ(Frame(), s.acted);
    EXPECT_EQ(p.touchedEdge, s.touched);
    EXPECT_EQ(p.respawned, s.respawned);
    EXPECT_FLOAT_EQ(p.alpha, s.alpha);
    EXPECT_EQ(p.paused, s.paused);
    if (frame == 3) {
      EXPECT_NEAR(p.lifeEnd, owner.animationTime, 1e-6f);
    }
    if (frame == 4) {
      EXPECT_FLOAT_EQ(p.position.y, 21.0f);
      EXPECT_NEAR(p.position.x, 20.0f + 18467.0f / 32767.0f * 160.0f, 1e-4f);
    }
  }
  EXPECT_EQ(Rand(), 6334);  // two draws in all
}

// Each edge sends the particle just inside the opposite bound, at a random place along it.
TEST_F(BoundControlTest, WrapPlacesTheParticleInsideTheOppositeBound) {
  struct Case {
    int edge;
    float x, y;
    bool xRandom;
    float fixed;
  };
  const Case cases[] = {
      {0, 100, 10, true, 79},   // past the top: bottom - 1
      {1, 100, 90, true, 21},   // past the bottom: top + 1
      {2, 10, 50, false, 179},  // past the left: right - 1
      {3, 190, 50, false, 21},  // past the right: left + 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edge);
    SRand(1);
    p = Particle{};
    p.halfWidth = p.halfHeight = 4.0f;
    p.position = D3DXVECTOR3(c.x, c.y, 0.0f);
    p.alpha = 0.0f;
    EXPECT_EQ(Frame(), c.edge);
    EXPECT_EQ(p.respawned, 1);
    EXPECT_EQ(p.touchedEdge, c.edge);
    const float along = c.xRandom ? p.position.x : p.position.y;
    const float across = c.xRandom ? p.position.y : p.position.x;
    const float low = 20.0f, high = c.xRandom ? 180.0f : 80.0f;  // left and top are both 20
    EXPECT_FLOAT_EQ(across, c.fixed);
    EXPECT_NEAR(along, low + 41.0f / 32767.0f * (high - low), 1e-4f);
  }
}

// The fades take their time in animation time: faster layers fade in fewer frames; a layer at
// speed 0 never fades.
TEST_F(BoundControlTest, FadeOutRunsOnTheAnimationClock) {
  struct Case {
    UINT speed, fadeOut;
    int framesToEmpty;  // frames after the one that marks the particle
  };
  const Case cases[] = {{50, 250, 3}, {100, 250, 2}, {50, 1000, 10}, {50, 0, 1}, {0, 250, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " fade " << c.fadeOut);
    owner.speed = c.speed;
    controls[1].fadeOutTime = c.fadeOut;
    p = Particle{};
    p.halfWidth = p.halfHeight = 5.0f;
    p.position = D3DXVECTOR3(100.0f, 90.0f, 0.0f);
    ASSERT_EQ(Frame(), 1);
    int frames = 0;
    float last = p.alpha;
    while (p.alpha > 0.0f && frames < 20) {
      Frame();
      ++frames;
      EXPECT_LE(p.alpha, last);
      EXPECT_GE(p.alpha, 0.0f);
      last = p.alpha;
    }
    EXPECT_EQ(p.alpha > 0.0f ? -1 : frames, c.framesToEmpty);
  }
}

// The pause begins once the particle has faded out; after the move across it waits out the pause
// without being moved, then fades in.
TEST_F(BoundControlTest, WrapWaitsOutThePauseThenFadesIn) {
  controls[3].minimumLife = 250;
  controls[3].maximumLife = 250;
  controls[3].fadeInTime = 200;
  p.position.x = 190.0f;
  ASSERT_EQ(Frame(), 3);  // marked
  ASSERT_EQ(Frame(), 3);  // faded out at once
  ASSERT_EQ(Frame(), 3);  // the pause begins
  EXPECT_TRUE(p.paused);
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_NEAR(p.lifeEnd, owner.animationTime + 0.25f, 1e-5f);
  ASSERT_EQ(Frame(), 3);  // moved to the left bound
  EXPECT_FLOAT_EQ(p.position.x, 21.0f);
  const float alphas[] = {0.0f, 0.0f, 0.5f, 1.0f};  // waited 0.1, 0.2: still paused; 0.3, 0.4
  for (float alpha : alphas) {
    SCOPED_TRACE(alpha);
    EXPECT_EQ(Frame(), 3);
    EXPECT_FLOAT_EQ(p.alpha, alpha);
    EXPECT_EQ(p.paused, alpha == 0.0f);
    EXPECT_EQ(p.touchedEdge, 3);
  }
  EXPECT_EQ(Frame(), 3);
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_EQ(p.respawned, 0);
  EXPECT_EQ(Frame(), -1);
}

// A particle already invisible when it passes the bound is moved across at once, without a pause.
TEST_F(BoundControlTest, WrapMovesAnInvisibleParticleAtOnce) {
  controls[3].minimumLife = 5000;
  controls[3].maximumLife = 5000;
  p.position.x = 190.0f;
  p.alpha = 0.0f;
  EXPECT_EQ(Frame(), 3);
  EXPECT_FLOAT_EQ(p.position.x, 21.0f);
  EXPECT_EQ(p.respawned, 1);
  EXPECT_EQ(Frame(), 3);
  EXPECT_FALSE(p.paused);
  EXPECT_FLOAT_EQ(p.alpha, 1.0f);
}

// Bounce on the right edge: the direction across turns round when the sprite reaches past the
// bound; the next call pushes it back inside and frees it.
TEST_F(BoundControlTest, BounceTurnsTheParticleAndPushesItInside) {
  SetMode(DS_BoundControl::kBounce);
  p.position.x = 178.0f;  // its right side at 183
  EXPECT_EQ(Frame(), 3);
  EXPECT_FLOAT_EQ(p.direction.x, -1.0f);
  EXPECT_FLOAT_EQ(p.direction.y, 1.0f);
  EXPECT_EQ(p.touchedEdge, 3);
  EXPECT_EQ(Frame(), 3);
  EXPECT_FLOAT_EQ(p.position.x, 174.0f);  // right - half width - 1
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_EQ(Frame(), -1);
  EXPECT_FLOAT_EQ(p.direction.x, -1.0f);

  // The top edge turns the vertical direction and pushes down.
  p.position = D3DXVECTOR3(100.0f, 22.0f, 0.0f);
  EXPECT_EQ(Frame(), 0);
  EXPECT_FLOAT_EQ(p.direction.y, -1.0f);
  EXPECT_EQ(Frame(), 0);
  EXPECT_FLOAT_EQ(p.position.y, 26.0f);
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_EQ(Rand(), 41);  // bouncing draws nothing
}

// Bounce after a pause: entirely past the left bound, the particle turns round, is held just
// outside for its pause, then is free to come back.
TEST_F(BoundControlTest, BounceAfterAPauseHoldsTheParticleOutside) {
  SetMode(DS_BoundControl::kBouncePause);
  controls[2].minimumLife = 150;
  controls[2].maximumLife = 150;
  p.direction.x = -1.0f;
  p.position.x = -40.0f;
  p.position.y = 60.0f;
  EXPECT_EQ(Frame(), 2);
  EXPECT_FLOAT_EQ(p.direction.x, 1.0f);
  EXPECT_TRUE(p.paused);
  EXPECT_NEAR(p.lifeEnd, owner.animationTime + 0.15f, 1e-5f);
  EXPECT_FLOAT_EQ(p.age, owner.animationTime);
  EXPECT_EQ(p.touchedEdge, 2);
  EXPECT_EQ(Frame(), 2);  // age +0.1: still paused, moved to within half its size of the bound
  EXPECT_FLOAT_EQ(p.position.x, 16.0f);
  EXPECT_TRUE(p.paused);
  EXPECT_EQ(p.touchedEdge, 2);
  EXPECT_EQ(Frame(), 2);  // age +0.2: the pause is over, and it is no longer past the bound
  EXPECT_FALSE(p.paused);
  EXPECT_EQ(p.touchedEdge, -1);
  EXPECT_EQ(Frame(), -1);
  EXPECT_FLOAT_EQ(p.position.y, 60.0f);
}

// A mode outside 0 to 2 leaves every particle alone, wherever it is; so does a control bound to
// an edge that does not exist.
TEST_F(BoundControlTest, UnknownModesAndEdgesDoNothing) {
  const D3DXVECTOR3 outside[] = {{100, -50, 0}, {100, 150, 0}, {-50, 50, 0}, {250, 50, 0}, {178, 50, 0}};
  for (INT mode : {3, -1, 1000}) {
    SetMode(mode);
    for (const D3DXVECTOR3& at : outside) {
      p.position = at;
      p.alpha = 0.0f;
      EXPECT_EQ(Frame(), -1) << "mode " << mode;
      EXPECT_EQ(p.position, at);
      EXPECT_EQ(p.touchedEdge, -1);
      EXPECT_FALSE(p.paused);
      EXPECT_EQ(p.direction, D3DXVECTOR3(1.0f, 1.0f, 0.0f));
    }
  }
  DS_BoundControl stray;
  stray.BindEdge(7, &owner);
  for (INT mode : {0, 1, 2}) {
    stray.mode = mode;
    p.position = D3DXVECTOR3(-50.0f, -50.0f, 0.0f);
    EXPECT_FALSE(stray.Handle(owner, p));
    EXPECT_EQ(p.touchedEdge, -1);
  }
  DS_BoundControl unbound;  // never bound: no test is true
  EXPECT_FALSE(unbound.Handle(owner, p));
}

// A particle handled by one edge is left to it by the others until it is free.
TEST_F(BoundControlTest, TouchedParticleBelongsToItsEdge) {
  controls[2].fadeOutTime = 1000;
  p.position = D3DXVECTOR3(10.0f, 10.0f, 0.0f);  // past the top as well, but marked by the left
  p.touchedEdge = 2;
  for (int i : {0, 1, 3}) {
    EXPECT_FALSE(controls[i].Handle(owner, p)) << i;
    EXPECT_FLOAT_EQ(p.alpha, 1.0f);
  }
  EXPECT_EQ(Frame(), 2);
  EXPECT_NEAR(p.alpha, 0.9f, 1e-5f);
  EXPECT_EQ(p.touchedEdge, 2);
}

// A copy keeps its edge, its bindings and its values; re-bound, it reads its new owner's bounds.
TEST_F(BoundControlTest, CopyKeepsEdgeBindingsAndValues) {
  controls[3].mode = 1;
  controls[3].fadeOutTime = 9;
  controls[3].maximumLife = 700;
  DS_BoundControl copy(controls[3]);
  EXPECT_EQ(copy.edge, 3);
  EXPECT_EQ(copy.mode.value, 1);
  EXPECT_EQ(copy.fadeOutTime.value, 9u);
  EXPECT_EQ(copy.maximumLife.value, 700u);
  p.position.x = 185.0f;
  EXPECT_TRUE(copy.pastTest(p) == false && copy.crossingTest(p));

  Bounded wider;
  wider.right = 1.0f;  // 200
  EXPECT_TRUE(copy.crossingTest(p));  // still bound to the first owner
  copy.BindEdge(3, &wider);
  EXPECT_FALSE(copy.crossingTest(p));
}

TEST_F(BoundControlTest, RecordReadsAndSavesTheFiveValues) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_BoundControl", 1).I32(2).U32(300).U32(400).U32(500).U32(4000000000u);
  const docbuild::Bytes record = doc.Document();
  doc.U32(0xC0FFEE);
  ResourceBuffer buffer(doc.Document().data(), doc.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  DS_BoundControl& c = controls[0];
  EXPECT_TRUE(c.Read(&stream));
  DWORD next = 0;
  stream->ReadULong(&next);
  EXPECT_EQ(next, 0xC0FFEEu);
  EXPECT_EQ(c.mode.value, 2);
  EXPECT_EQ(c.fadeOutTime.value, 300u);
  EXPECT_EQ(c.fadeInTime.value, 400u);
  EXPECT_EQ(c.minimumLife.value, 500u);
  EXPECT_EQ(c.maximumLife.value, 4000000000u);
  EXPECT_EQ(c.edge, 0);  // the edge is the owner's to give, never stored

  docbuild::BuilderStream out;
  DS_IOF_Virtual* written = &out;
  EXPECT_TRUE(c.Save(&written));
  EXPECT_EQ(out.Written(), record);

  // Cut short: the read fails and nothing after the cut is taken.
  const docbuild::Bytes cut = docbuild::Truncated(record, record.size() - 2);
  ResourceBuffer shortBuffer(cut.data(), cut.size());
  DS_IOF_R<ResourceBuffer> shortReader(&shortBuffer);
  DS_IOF_Virtual* shortStream = &shortReader;
  DS_BoundControl fresh;
  EXPECT_FALSE(fresh.Read(&shortStream));
  EXPECT_EQ(fresh.mode.value, 2);
  EXPECT_EQ(fresh.maximumLife.value, 0u);
}

}  // namespace
