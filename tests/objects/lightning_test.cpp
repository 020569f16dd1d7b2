// Lightning: a sprite starts dark, gets a chance to flash once a second, fades out in a sixth of a
// second with chances to flicker back every 0.15 s, and rests a second after each flash; flashes
// land in the bounds with a tilt of at most 22.5 degrees and a random mirror.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "objects/lightning_constructor.h"
#include "render/random.h"
#include "tests/objects/particle_class_fixture.h"
#include "tests/support/builder_stream.h"

namespace particle_class_test {
namespace {

// Seconds of scene time per frame; speed 50 runs animation time alike. A flash fades by 0.12 a
// frame, so it is dark on its 9th frame after lighting, and its flicker chance comes on the 8th
// (0.16 s, the first frame past 0.15 s).
constexpr float kFrame = 0.02f;
constexpr float kMaxTilt = 0.3926991f;

// The tilt of a sprite's axes from upright, in radians, and whether it is mirrored left to right.
float Tilt(const Particle& p) { return std::atan2(-p.axis2.x, p.axis2.y); }
bool Mirrored(const Particle& p) { return p.axis1.x * p.axis2.y - p.axis1.y * p.axis2.x < 0.0f; }

// One flash seen frame by frame: when it lit, how long it stayed lit, where it was and how it lay.
struct Flash {
  float start = 0.0f, length = 0.0f;
  Particle lit;
};

class LightningTest : public ParticleClassTest {
 protected:
  // Runs one particle for `seconds` of animation time in frames of kFrame and records its flashes;
  // every lit frame's alpha must fall by the fade or come back to full.
  static std::vector<Flash> Watch(DS_LightingConstructor& d, Particle& p, float seconds);
};

std::vector<Flash> LightningTest::Watch(DS_LightingConstructor& d, Particle& p, float seconds) {
  std::vector<Flash> flashes;
  bool lit = false;
  float before = p.alpha;
  while (d.animationTime < seconds) {
    Frame(d, p, kFrame);
    const bool nowLit = p.alpha > 0.0f;
    if (nowLit && !lit) flashes.push_back(Flash{d.animationTime, 0.0f, p});
    if (!nowLit && lit) flashes.back().length = d.animationTime - flashes.back().start;
    if (nowLit && lit && p.alpha != 1.0f) {
      EXPECT_NEAR(before - p.alpha, kFrame * 6.0f, 1e-4f);
    }
    lit = nowLit;
    before = p.alpha;
  }
  if (lit) flashes.pop_back();  // still lit at the end: its length is unknown
  return flashes;
}

TEST_F(LightningTest, DescriptionDrawsAdditivelyAndItsCopyKeepsTheBase) {
  DS_LightingConstructor d;
  EXPECT_EQ(d.blendMode.value, 1);
  EXPECT_TRUE(d.viewFlag);
  d.size = 64;
  d.count = 5;
  d.color = 0x00123456u;
  auto live = Live(d);
  EXPECT_EQ(live->blendMode.value, 1);
  EXPECT_EQ(live->size.value, 64u);
  EXPECT_EQ(live->count.value, 5u);
  EXPECT_EQ(live->color.value, 0x00123456u);
}

TEST_F(LightningTest, ASpriteStartsDarkWhollyInsideTheBounds) {
  DS_LightingConstructor d;
  d.left = 0.2f;
  d.right = 0.4f;  // 200 to 400 px across
  d.top = 0.5f;
  d.bottom = 0.7f;  // 250 to 350 px down
  d.size = 40;
  auto live = Live(d);
  for (int i = 0; i < 200; ++i) {
    const Particle p = Spawn(*live);
    SCOPED_TRACE(i);
    EXPECT_EQ(p.alpha, 0.0f);
    EXPECT_EQ(p.halfWidth, 20.0f);
    EXPECT_EQ(p.halfHeight, 20.0f);
    EXPECT_GE(p.position.x, 220.0f - 1e-3f);
    EXPECT_LE(p.position.x, 380.0f + 1e-3f);
    EXPECT_GE(p.position.y, 270.0f - 1e-3f);
    EXPECT_LE(p.position.y, 330.0f + 1e-3f);
  }
}

TEST_F(LightningTest, TiltsStayWithinAnEighthTurnSpreadAndAboutHalfAreMirrored) {
  DS_LightingConstructor d;
  d.size = 20;
  auto live = Live(d);
  int mirrored = 0;
  float least = 1.0f, most = -1.0f;
  const int n = 2000;
  for (int i = 0; i < n; ++i) {
    const Particle p = Spawn(*live);
    const float tilt = Tilt(p);
    EXPECT_LE(std::fabs(tilt), kMaxTilt + 1e-5f);
    // The axes stay unit length and at right angles: the sprite turns, it is not sheared.
    EXPECT_NEAR(D3DXVec3Length(&p.axis1), 1.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Length(&p.axis2), 1.0f, 1e-5f);
    EXPECT_NEAR(D3DXVec3Dot(&p.axis1, &p.axis2), 0.0f, 1e-5f);
    EXPECT_EQ(p.axis1.z, 0.0f);
    EXPECT_EQ(p.axis2.z, 0.0f);
    least = std::fmin(least, tilt);
    most = std::fmax(most, tilt);
    if (Mirrored(p)) ++mirrored;
  }
  EXPECT_LT(least, -0.35f);  // the whole spread is used, both ways
  EXPECT_GT(most, 0.35f);
  EXPECT_GT(mirrored, n * 4 / 10);
  EXPECT_LT(mirrored, n * 6 / 10);
}

TEST_F(LightningTest, ADarkSpriteGetsOneChanceASecondAndTakesAboutHalf) {
  DS_LightingConstructor d;
  d.size = 20;
  auto live = Live(d);
  Particle p = Spawn(*live);
  // No chance before a whole second has passed.
  while (live->animationTime < 0.97f) {
    Frame(*live, p, kFrame);
    ASSERT_EQ(p.alpha, 0.0f) << live->animationTime;
  }
  const std::vector<Flash> flashes = Watch(*live, p, 300.0f);
  // Each second either flashes or starts the next second's wait, so about one flash per two
  // seconds of darkness.
  float dark = 300.0f;
  for (const Flash& f : flashes) dark -= f.length;
  const float perSecond = static_cast<float>(flashes.size()) / dark;
  EXPECT_GT(perSecond, 0.35f);
  EXPECT_LT(perSecond, 0.65f);
}

TEST_F(LightningTest, FlashesLastASixthOfASecondPlusWholeFlickerSteps) {
  DS_LightingConstructor d;
  d.size = 20;
  auto live = Live(d);
  Particle p = Spawn(*live);
  const std::vector<Flash> flashes = Watch(*live, p, 300.0f);
  ASSERT_GT(flashes.size(), 50u);
  int plain = 0, flickered = 0;
  for (const Flash& f : flashes) {
    SCOPED_TRACE(f.start);
    const float steps = (f.length - 0.18f) / 0.16f;
    EXPECT_NEAR(steps, std::round(steps), 0.05f);
    EXPECT_GE(f.length, 0.18f - 1e-3f);
    (std::round(steps) == 0.0f ? plain : flickered)++;
  }
  // Each flicker chance is taken with probability one half: about half the flashes never flicker.
  EXPECT_GT(plain, static_cast<int>(flashes.size()) * 3 / 10);
  EXPECT_GT(flickered, static_cast<int>(flashes.size()) * 3 / 10);
}

TEST_F(LightningTest, AfterAFlashTheSpriteRestsASecondAndComesBackElsewhere) {
  DS_LightingConstructor d;
  d.size = 20;
  auto live = Live(d);
  Particle p = Spawn(*live);
  const std::vector<Flash> flashes = Watch(*live, p, 200.0f);
  ASSERT_GT(flashes.size(), 20u);
  int moved = 0;
  for (size_t i = 1; i < flashes.size(); ++i) {
    SCOPED_TRACE(i);
    const float end = flashes[i - 1].start + flashes[i - 1].length;
    // The first chance is the first frame more than a second after the flash went dark.
    EXPECT_GT(flashes[i].start - end, 1.0f - 1e-3f);
    EXPECT_EQ(flashes[i].lit.alpha, 1.0f);
    EXPECT_EQ(flashes[i].lit.color >> 24, 255u);
    EXPECT_LE(std::fabs(Tilt(flashes[i].lit)), kMaxTilt + 1e-5f);
    if (flashes[i].lit.position != flashes[i - 1].lit.position) ++moved;
  }
  EXPECT_EQ(moved, static_cast<int>(flashes.size()) - 1);
}

TEST_F(LightningTest, AtSpeedZeroNothingChangesAndNoChanceIsTaken) {
  struct Case {
    const char* state;
    bool lit;  // stop the clock in the middle of a flash, or while dark
  };
  const Case cases[] = {{"dark", false}, {"lit", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    DS_LightingConstructor d;
    d.size = 20;
    auto live = Live(d);
    Particle p = Spawn(*live);
    // Run past a few chances, then on to the wanted state; a lit sprite is caught while fading.
    while (live->animationTime < 3.5f) Frame(*live, p, kFrame);
    for (int i = 0; i < 100000; ++i) {
      if (c.lit ? (p.alpha > 0.0f && p.alpha < 1.0f) : p.alpha == 0.0f) break;
      Frame(*live, p, kFrame);
    }
    ASSERT_EQ(c.lit, p.alpha > 0.0f);
    live->speed = 0;
    const Particle stopped = p;
    const float clock = live->animationTime;
    SRand(7);
    for (int i = 0; i < 500; ++i) Frame(*live, p, kFrame);
    EXPECT_EQ(live->animationTime, clock);
    EXPECT_EQ(p.alpha, stopped.alpha);
    EXPECT_EQ(p.color, stopped.color);
    EXPECT_EQ(p.position, stopped.position);
    EXPECT_EQ(p.axis1, stopped.axis1);
    // The random sequence was not drawn from while the clock stood still.
    const int next = Rand();
    SRand(7);
    EXPECT_EQ(next, Rand());
  }
}

TEST_F(LightningTest, TheRecordIsTheSpriteRecordOnly) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_LightingConstructor", 1);
  SpriteRows rows;
  rows.size = 72;
  rows.count = 4;
  rows.color = 0x0000FFFFu;
  SpriteRecord(doc, rows);
  const docbuild::Bytes bytes = doc.Document();
  bool consumedAll = false;
  std::unique_ptr<DS_ABObj_Constructor> object = ReadObject(bytes, &consumedAll);
  EXPECT_TRUE(consumedAll);
  auto* lightning = dynamic_cast<DS_LightingConstructor*>(object.get());
  ASSERT_NE(lightning, nullptr);
  EXPECT_EQ(lightning->size.value, 72u);
  EXPECT_EQ(lightning->count.value, 4u);
  EXPECT_EQ(lightning->color.value, 0x0000FFFFu);

  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(lightning->Save(&stream));
  EXPECT_EQ(out.Written(), bytes);

  // Cut short anywhere in the sprite record, the read fails instead of running past the end.
  for (size_t cut : {bytes.size() - 1, bytes.size() / 2}) {
    SCOPED_TRACE(cut);
    const docbuild::Bytes shortBytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
    bool all = true;
    std::unique_ptr<DS_ABObj_Constructor> cutObject = ReadObject(shortBytes, &all);
    EXPECT_FALSE(all);
  }
}

}  // namespace
}  // namespace particle_class_test
