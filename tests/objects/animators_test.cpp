// The small animators: the butterfly wing, the clock's face and hands, and the drift of the
// 3D-in-2D items with its wrap-around, sway renewal and tumbling.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "objects/butterfly_wing.h"
#include "objects/clock_animators.h"
#include "objects/drift_anim.h"
#include "platform/machine/clock.h"
#include "render/frame.h"
#include "render/random.h"
#include "slideshow/view_2d.h"

namespace {

constexpr float kDeg = 3.1415927f / 180.0f;

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-4f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << r << "," << c;
}

D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

// a x b: a applies first.
D3DXMATRIX Mul(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &a, &b);
  return m;
}

TEST(ButterflyWing, AppliesItsMatrixAfterTheLocalOneAndHandsOnItsCulling) {
  DS_Frame frame;
  auto* wing = new AC_ButterflyWing;
  frame.animator = wing;
  frame.local = Translation(1, 0, 0);
  D3DXMatrixRotationZ(&wing->wing, 90 * kDeg);
  wing->cullMode = 0;
  frame.UpdateMatrices(nullptr);
  // (1, 0, 0) turned a quarter about z lands on (0, 1, 0).
  D3DXVECTOR3 origin(0, 0, 0), moved;
  D3DXVec3TransformCoord(&moved, &origin, &frame.world);
  EXPECT_NEAR(moved.x, 0.0f, 1e-5);
  EXPECT_NEAR(moved.y, 1.0f, 1e-5);
  EXPECT_EQ(frame.cullMode, 0);
}

// The smallest description: only its size matters to the face.
class SizedObject : public DS_3D_Obj_Ctrl {
 public:
  void BuildParts(MeshPartList&) override {}
  DS_Frame* CreateInstance() override { return nullptr; }
  DS_3D_Obj_Ctrl* Clone() const override { return nullptr; }
};

// Records which edge told its observers, in order.
class EdgeWatch : public MediaControlT<MediaParamTB<INT>> {
 public:
  EdgeWatch(std::vector<char>* log, char name) : log_(log), name_(name) {}
  void OnChange(MediaControl*) override { log_->push_back(name_); }

 private:
  std::vector<char>* log_;
  char name_;
};

struct ClockCase {
  UINT size;
  INT left, right, top, bottom;
};

TEST(ClockFace, KeepsTheRectangleTheSquareAroundTheCentre) {
  // Integer halves: 401 gives a square 400 wide, while the face still scales by 401.
  for (const ClockCase& c : {ClockCase{400, 312, 712, 184, 584}, ClockCase{401, 312, 712, 184, 584},
                             ClockCase{1, 512, 512, 384, 384}, ClockCase{0, 512, 512, 384, 384}}) {
    SCOPED_TRACE(c.size);
    SizedObject clock;
    clock.size = c.size;
    MediaRectangle rect;
    rect.centreX = 512;
    rect.centreY = 384;
    std::vector<char> told;
    EdgeWatch l(&told, 'l'), r(&told, 'r'), t(&told, 't'), b(&told, 'b');
    l.Attach(&rect.left), r.Attach(&rect.right), t.Attach(&rect.top), b.Attach(&rect.bottom);
    AC_Static face(clock, rect);
    EXPECT_EQ(rect.left.value, c.left);
    EXPECT_EQ(rect.right.value, c.right);
    EXPECT_EQ(rect.top.value, c.top);
    EXPECT_EQ(rect.bottom.value, c.bottom);
    EXPECT_EQ(told, (std::vector<char>{'l', 'r', 't', 'b'}));
    DS_Frame frame;
    face.Update(&frame);
    const float s = float(c.size);
    D3DXMATRIX expected;
    D3DXMatrixScaling(&expected, s, s, s);
    ExpectMatrixNear(frame.world, Mul(expected, Translation(512, 384, 0)));
  }
}

TEST(ClockFace, FollowsLaterChangesOfSizeAndCentre) {
  SizedObject clock;
  clock.size = 400u;
  MediaRectangle rect;
  rect.centreX = 100;
  rect.centreY = 50;
  DS_Frame frame;
  frame.animator = new AC_Static(clock, rect);
  clock.size.SetAndNotify(60);
  EXPECT_EQ(rect.left.value, 70);
  EXPECT_EQ(rect.bottom.value, 80);
  // A centre change takes effect when the rectangle tells its observers.
  rect.centreX = 300;
  frame.UpdateMatrices(nullptr);
  EXPECT_NEAR(frame.world._41, 100.0f, 1e-4);
  rect.NotifyAll(nullptr);
  EXPECT_EQ(rect.left.value, 270);
  EXPECT_EQ(rect.right.value, 330);
  frame.UpdateMatrices(nullptr);
  EXPECT_NEAR(frame.world._41, 300.0f, 1e-4);
  EXPECT_NEAR(frame.world._11, 60.0f, 1e-4);
}

// An animator that dies first must leave the properties it observed.
TEST(ClockFace, DetachesFromTheClockWhenItGoes) {
  SizedObject clock;
  MediaRectangle rect;
  { AC_Static face(clock, rect); }
  clock.size.SetAndNotify(77);
  rect.NotifyAll(nullptr);
  EXPECT_EQ(rect.left.value, -25);  // left as the dead face set it for size 50
}

TEST(ClockHands, AnglesFromTheTime) {
  struct Case {
    int hour, minute, second;
    float hourAngle, minuteAngle;
  };
  for (const Case& c : {Case{3, 30, 0, 105, 180}, Case{15, 30, 0, 105, 180}, Case{0, 0, 0, 0, 0},
                        Case{12, 0, 30, 0, 3}, Case{23, 59, 30, 359.5f, 357}}) {
    SCOPED_TRACE(c.hour * 10000 + c.minute * 100 + c.second);
    EXPECT_NEAR(AC_ClockArrow::HandAngle(true, c.hour, c.minute, c.second), c.hourAngle, 1e-3);
    EXPECT_NEAR(AC_ClockArrow::HandAngle(false, c.hour, c.minute, c.second), c.minuteAngle, 1e-3);
  }
}

TEST(ClockHands, TurnAboutYByTheLocalTime) {
  machine::clock::UseVirtual();  // 2000-01-01 00:00:00
  constexpr int64_t kHour = 3600LL * 1000000000LL;
  for (int64_t offset : {3 * kHour + kHour / 2, 15 * kHour + kHour / 2 - 3 * kHour - kHour / 2}) {
    machine::clock::Advance(offset);
    for (bool hour : {true, false}) {
      DS_Frame frame;
      frame.local = Translation(0, 0, 10);
      frame.animator = new AC_ClockArrow(hour);
      frame.UpdateMatrices(nullptr);
      D3DXMATRIX expected;
      D3DXMatrixRotationY(&expected, (hour ? 105.0f : 180.0f) * kDeg);
      ExpectMatrixNear(frame.world, Mul(Translation(0, 0, 10), expected));
    }
  }
  machine::clock::UseReal();
}

TEST(DriftDirection, AngleZeroGoesRightAndNinetyGoesUp) {
  for (UINT angle : {0u, 45u, 90u, 180u, 270u, 400u}) {
    SCOPED_TRACE(angle);
    DriftDirection d;
    d.SetAngle(angle);
    const float a = float(angle) * kDeg;
    EXPECT_EQ(d.angle, angle);
    EXPECT_NEAR(d.direction.x, std::cos(a), 1e-5);
    EXPECT_NEAR(d.direction.y, -std::sin(a), 1e-5);
    EXPECT_NEAR(d.perpendicular.x, -std::sin(a), 1e-5);
    EXPECT_NEAR(d.perpendicular.y, -std::cos(a), 1e-5);
  }
}

// A 400 x 300 picture and items 20 pixels across (wrap margin 10).
class DriftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 400;
    g_LayerView.pictureHeight = 300;
    g_DriftTime = 0.0f;
    params.itemSize = 20u;
    SRand(5);
  }
  void TearDown() override { g_LayerView = saved_; }

  // One update of the animator at the scene time t.
  static void Step(DS_SreamAnim& anim, float t, DS_Frame* frame = nullptr) {
    g_DriftTime = t;
    DS_Frame scratch;
    anim.Update(frame ? frame : &scratch);
  }
  static float X(const DS_SreamAnim& a) { return a.position._41; }
  static float Y(const DS_SreamAnim& a) { return a.position._42; }

  DriftParams params;
  LayerView saved_;
};

TEST_F(DriftTest, StartsSomewhereInThePictureFromFourDraws) {
  SRand(11);
  const float x = RandFloat(0, 400), y = RandFloat(0, 300);
  const float sway = RandFloat(-1, 1);
  const float factor = float(Rand()) / 32767.0f * 0.06f + 0.07f;
  const int next = Rand();
  SRand(11);
  DS_SreamAnim anim(&params);
  EXPECT_FLOAT_EQ(X(anim), x);
  EXPECT_FLOAT_EQ(Y(anim), y);
  EXPECT_FLOAT_EQ(anim.sway, sway);
  EXPECT_FLOAT_EQ(anim.speedFactor, factor);
  EXPECT_EQ(Rand(), next);
}

TEST_F(DriftTest, RightwardWithoutSwayMovesAlongXOnlyAndReappearsAtTheLeft) {
  DS_SreamAnim anim(&params);
  anim.sway = 0.7f;  // no effect while the sway amount is 0
  anim.position._41 = 100.0f;
  anim.position._42 = 150.0f;
  Step(anim, 0.1f);
  EXPECT_NEAR(X(anim), 100.0f + 50 * anim.speedFactor * 0.1f * 50, 1e-3);
  EXPECT_FLOAT_EQ(Y(anim), 150.0f);
  anim.position._41 = 410.5f;
  Step(anim, 0.2f);
  EXPECT_FLOAT_EQ(X(anim), -10.0f);
  EXPECT_GE(Y(anim), 0.0f);
  EXPECT_LE(Y(anim), 300.0f);
}

TEST_F(DriftTest, EachEdgeWrapsToTheOppositeOneWithoutMoving) {
  struct Case {
    UINT angle;
    float x, y;
    bool fixedX;  // which coordinate the wrap sets exactly
    float fixed;
  };
  for (const Case& c : {Case{270, 200, 310.5f, false, -10}, Case{90, 200, -10.5f, false, 310},
                        Case{0, 410.5f, 150, true, -10}, Case{180, -10.5f, 150, true, 410}}) {
    SCOPED_TRACE(c.angle);
    params.direction.SetAngle(c.angle);
    DS_SreamAnim anim(&params);
    anim.position._41 = c.x;
    anim.position._42 = c.y;
    Step(anim, 0.1f);
    if (c.fixedX) {
      EXPECT_FLOAT_EQ(X(anim), c.fixed);
      EXPECT_GE(Y(anim), 0.0f);
      EXPECT_LE(Y(anim), 300.0f);
    } else {
      EXPECT_FLOAT_EQ(Y(anim), c.fixed);
      EXPECT_GE(X(anim), 0.0f);
      EXPECT_LE(X(anim), 400.0f);
    }
  }
}

TEST_F(DriftTest, AnItemExactlyOnTheWrapLineMovesOnceMoreBeforeItWraps) {
  params.direction.SetAngle(270);  // down the picture
  DS_SreamAnim anim(&params);
  anim.position._41 = 200.0f;
  anim.position._42 = 310.0f;
  Step(anim, 0.1f);
  EXPECT_GT(Y(anim), 310.0f);
  EXPECT_NEAR(X(anim), 200.0f, 1e-3);
  Step(anim, 0.2f);
  EXPECT_FLOAT_EQ(Y(anim), -10.0f);
}

TEST_F(DriftTest, StepsAreTheTimeDistanceCappedAtAFifthOfASecond) {
  DS_SreamAnim anim(&params);
  for (auto [t, step] : {std::pair{0.05f, 0.05f}, {5.0f, 0.2f}, {4.9f, 0.1f}, {4.9f, 0.0f}}) {
    Step(anim, t);
    EXPECT_NEAR(anim.step, step, 1e-5) << t;
  }
}

TEST_F(DriftTest, WithoutRenewalTheSwayNeverChanges) {
  params.sway = 50u;
  DS_SreamAnim anim(&params);
  const float sway = anim.sway;
  for (int i = 1; i <= 200; ++i) Step(anim, float(i) * 5.0f);
  EXPECT_EQ(anim.sway, sway);
  EXPECT_EQ(anim.lastSwayChange, 0.0f);
}

TEST_F(DriftTest, RenewalChecksFireOnceEnoughTimeHasPassed) {
  params.speed = 0u;  // the item stays put, so only the renewal can draw
  params.swayRenewal = 100u;  // threshold 100 / 100 = 1, reached after 0.2 s at speed 50
  DS_SreamAnim anim(&params);
  Step(anim, 0.5f);
  EXPECT_EQ(anim.lastSwayChange, 0.0f);  // speed 0: the left side stays 0
  params.speed = 50u;
  anim.position._41 = 200.0f;
  anim.position._42 = 150.0f;
  Step(anim, 0.5f);
  EXPECT_EQ(anim.lastSwayChange, 0.5f);
  Step(anim, 0.6f);
  EXPECT_EQ(anim.lastSwayChange, 0.5f);  // 0.1 s x 50 x 0.1 = 0.5: not yet
  Step(anim, 0.75f);
  EXPECT_EQ(anim.lastSwayChange, 0.75f);
}

TEST_F(DriftTest, LeafRatesFromTheirDraws) {
  bool sawStill = false, sawTurning = false;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SRand(seed);
    DS_LeafFallAnim leaf(&params);
    for (const auto* r : {&leaf.tumbleX, &leaf.tumbleY, &leaf.tumbleZ}) {
      EXPECT_GE(std::fabs(r->rate), 7.0f);
      EXPECT_LE(std::fabs(r->rate), 10.0f);
      EXPECT_EQ(r->angle, r->rate);
    }
    for (const auto* r : {&leaf.swingY, &leaf.swingX}) {
      EXPECT_TRUE(r->rate == 0.0f || (std::fabs(r->rate) >= 3.0f && std::fabs(r->rate) <= 7.0f)) << r->rate;
      EXPECT_EQ(r->angle, r->rate);
      (r->rate == 0.0f ? sawStill : sawTurning) = true;
    }
  }
  EXPECT_TRUE(sawStill);
  EXPECT_TRUE(sawTurning);
}

TEST_F(DriftTest, ASwingWithoutRateNeverTurnsWhileTheOthersDo) {
  params.sway = 80u;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SRand(seed);
    DS_LeafFallAnim leaf(&params);
    if (leaf.swingY.rate != 0.0f) continue;
    DS_Frame frame;
    frame.boundingRadius = 1.0f;
    const float tumble = leaf.tumbleX.angle;
    for (int i = 1; i <= 10; ++i) Step(leaf, float(i) * 0.1f, &frame);
    EXPECT_EQ(leaf.swingY.angle, 0.0f);
    EXPECT_NE(leaf.tumbleX.angle, tumble);
    return;
  }
  FAIL() << "no seed gave a still swing";
}

TEST_F(DriftTest, WithoutTumbleAndSwayAnItemKeepsItsOrientationAndOnlyDrifts) {
  params.tumbleSpeed = 0u;
  params.sway = 0u;
  DS_LeafFallAnim leaf(&params);
  leaf.position._41 = 100.0f;
  leaf.position._42 = 100.0f;
  DS_Frame frame;
  frame.boundingRadius = 2.0f;
  frame.animator = nullptr;
  std::vector<D3DXMATRIX> worlds;
  for (int i = 1; i <= 4; ++i) {
    Step(leaf, float(i) * 0.1f, &frame);
    worlds.push_back(frame.world);
  }
  for (size_t i = 1; i < worlds.size(); ++i) {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(worlds[i].m[r][c], worlds[0].m[r][c], 1e-5);
    EXPECT_GT(worlds[i]._41, worlds[i - 1]._41);
  }
  // The scale makes the bounding sphere item size across: 20 / (2 x 2) = 5.
  const float s = std::sqrt(worlds[0]._11 * worlds[0]._11 + worlds[0]._12 * worlds[0]._12 + worlds[0]._13 * worlds[0]._13);
  EXPECT_NEAR(s, 5.0f, 1e-4);
}

// A mesh without extent cannot be scaled to the item size: it is drawn at scale 0, never infinite.
TEST_F(DriftTest, AZeroRadiusItemCollapsesInsteadOfBlowingUp) {
  DS_LeafFallAnim leaf(&params);
  DS_Frame frame;
  Step(leaf, 0.1f, &frame);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(frame.world.m[r][c])) << r << "," << c;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(frame.world.m[r][c], 0.0f);
}

}  // namespace
