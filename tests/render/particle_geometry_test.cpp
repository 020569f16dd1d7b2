// The particle geometry: particles made when the count is bound, the motion run every frame, and
// one quad per particle written with its flips and its frame strip.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "particle_fixture.h"
#include "platform/machine/machine.h"

namespace particle_test {
namespace {

class ParticleGeometryTest : public ParticleSceneTest {
 protected:
  // A sprite object over "wide.png" with `count` particles, each placed by `place`.
  std::unique_ptr<DS_SpriteArrayObj> MakeSprites(UINT count, std::function<void(TestSprites&)> configure = {}) {
    TestSprites description(log_);
    description.imageLink = Image(u"wide.png");
    description.count = count;
    description.size = 20;
    if (configure) configure(description);
    return std::unique_ptr<DS_SpriteArrayObj>(static_cast<DS_SpriteArrayObj*>(description.CreateObject()));
  }
};

TEST_F(ParticleGeometryTest, BindingTheCountMakesEveryParticleAndStartsEachOnceInListOrder) {
  auto sprites = MakeSprites(3);
  ASSERT_EQ(sprites->particles.size(), 3u);
  ASSERT_EQ(log_->initialised.size(), 3u);
  auto it = sprites->particles.begin();
  for (size_t i = 0; i < 3; ++i, ++it) {
    EXPECT_EQ(log_->initialised[i], &*it) << i;
    // The geometry and the state were made before the class's own start: the picture is twice as
    // wide as high, so a size of 20 gives half extents 10 and 5, and the colour is the white tint.
    EXPECT_FLOAT_EQ(log_->stateAtInit[i].halfWidth, 10.0f);
    EXPECT_FLOAT_EQ(log_->stateAtInit[i].halfHeight, 5.0f);
    EXPECT_EQ(log_->stateAtInit[i].color, 0xFFFFFFFFu);
  }
  EXPECT_EQ(sprites->vertexCount, 12u);
  EXPECT_EQ(sprites->triangleCount, 6u);
}

TEST_F(ParticleGeometryTest, CountChangesRebuildTheBuffersAndTheListNeverShrinks) {
  auto sprites = MakeSprites(2);
  auto* d = static_cast<TestSprites*>(sprites->description);
  d->count.SetAndNotify(4);
  EXPECT_EQ(sprites->particles.size(), 4u);
  EXPECT_EQ(log_->initialised.size(), 4u);
  EXPECT_EQ(sprites->vertexCount, 16u);

  d->count.SetAndNotify(1);
  EXPECT_EQ(sprites->particles.size(), 4u);
  EXPECT_EQ(log_->initialised.size(), 4u);
  EXPECT_EQ(sprites->vertexCount, 4u);
  // Every particle still moves, in list order, after the description's clock.
  sprites->Update(0.5f);
  ASSERT_EQ(log_->updated.size(), 4u);
  auto it = sprites->particles.begin();
  for (size_t i = 0; i < 4; ++i, ++it) EXPECT_EQ(log_->updated[i], &*it);
  EXPECT_FLOAT_EQ(d->lastTime, 0.5f);

  // A count of 0 changes nothing at all.
  d->count.SetAndNotify(0);
  EXPECT_EQ(sprites->vertexCount, 4u);
  EXPECT_TRUE(sprites->vertexBuffer);
}

TEST_F(ParticleGeometryTest, ACountOfZeroMakesNoBuffersAndDrawsNothing) {
  auto sprites = MakeSprites(0);
  EXPECT_TRUE(sprites->particles.empty());
  EXPECT_FALSE(sprites->vertexBuffer);
  sprites->Update(0.1f);  // nothing to write, nothing to lock
  EXPECT_EQ(sprites->vertexCount, 0u);
}

// A count from the document that one 16-bit index buffer cannot address gets no buffers and, since
// its particles could never be drawn, no more particles than a buffer can show.
TEST_F(ParticleGeometryTest, ACountBeyondOneIndexBufferMakesNoBuffersAndABoundedList) {
  auto sprites = MakeSprites(70000);
  EXPECT_FALSE(sprites->vertexBuffer);
  EXPECT_EQ(sprites->particles.size(), size_t{kMaxQuadsPerBuffer});
  sprites->Update(0.1f);
  EXPECT_EQ(sprites->vertexCount, 0u);
}

// The corner takes (u first, v first); W and H run along the axes, so a negative half width puts the
// corner on the other side and mirrors the sprite.
TEST_F(ParticleGeometryTest, QuadsRunFromTheCornerAlongBothAxes) {
  auto sprites = MakeSprites(2, [](TestSprites& d) {
    d.place = [](Particle& p, size_t index) {
      p.position = D3DXVECTOR3(50.0f, 40.0f, 2.0f);
      p.halfWidth = index == 0 ? 10.0f : -10.0f;
      p.halfHeight = 5.0f;
      p.axis1 = D3DXVECTOR3(0.0f, 1.0f, 0.0f);  // turned a quarter: axis 1 points down
      p.axis2 = D3DXVECTOR3(-1.0f, 0.0f, 0.0f);
      p.color = 0x80112233u;
    };
  });
  sprites->Update(0.0f);
  const std::vector<DX_V::PCT> v = Vertices(*sprites);
  ASSERT_EQ(v.size(), 8u);
  struct Expected {
    float x, y;
  };
  // Particle 0: corner = (50, 40) - 10 x (0, 1) - 5 x (-1, 0) = (55, 30); W = (0, 20); H = (-10, 0).
  // Particle 1: corner = (55, 50); W = (0, -20).
  const Expected expected[8] = {{45, 30}, {55, 30}, {45, 50}, {55, 50}, {45, 50}, {55, 50}, {45, 30}, {55, 30}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, expected[i].x) << i;
    EXPECT_FLOAT_EQ(v[i].y, expected[i].y) << i;
    EXPECT_FLOAT_EQ(v[i].z, 2.0f) << i;
    EXPECT_EQ(v[i].color, 0x80112233u) << i;
  }
}

// A stored size or size factor beyond any picture (a hostile document) is held to the largest
// picture a layer shows; a size that is no number draws nothing.
TEST_F(ParticleGeometryTest, AHugeSpriteIsHeldToTheLargestLayerPicture) {
  const float infinity = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  auto sprites = MakeSprites(3, [&](TestSprites& d) {
    d.size = 0xFFFFFFFFu;
    d.sizeFactorMinimum = d.sizeFactorMaximum = 1.0e30f;
    d.place = [&](Particle& p, size_t index) {
      p.position = D3DXVECTOR3(100.0f, 100.0f, 0.0f);
      if (index == 1) p.halfWidth = -infinity;
      if (index == 2) p.halfWidth = p.halfHeight = nan;
    };
  });
  sprites->Update(0.0f);
  const std::vector<DX_V::PCT> v = Vertices(*sprites);
  ASSERT_EQ(v.size(), 12u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_LE(std::fabs(v[i].x - 100.0f), 2048.0f) << i;
    EXPECT_LE(std::fabs(v[i].y - 100.0f), 2048.0f) << i;
  }
  EXPECT_FLOAT_EQ(v[2].x - v[0].x, 4096.0f);   // held at its full width, not dropped
  EXPECT_FLOAT_EQ(v[6].x - v[4].x, -4096.0f);  // still mirrored
  for (int i = 8; i < 12; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, 100.0f) << i;
    EXPECT_FLOAT_EQ(v[i].y, 100.0f) << i;
  }
}

TEST_F(ParticleGeometryTest, FlipsExchangeTheTextureCoordinatePairs) {
  struct Case {
    int vertical, horizontal;
    float u[4], v[4];  // vertices 4i .. 4i+3
  };
  const Case cases[] = {
      {0, 0, {0, 0, 1, 1}, {1, 0, 1, 0}},
      {1, 0, {0, 0, 1, 1}, {0, 1, 0, 1}},
      {0, 1, {1, 1, 0, 0}, {1, 0, 1, 0}},
      {1, 1, {1, 1, 0, 0}, {0, 1, 0, 1}},
      {-7, 0, {0, 0, 1, 1}, {0, 1, 0, 1}},  // any nonzero value flips
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "vertical " << c.vertical << ", horizontal " << c.horizontal);
    auto sprites = MakeSprites(2, [&](TestSprites& d) {
      d.verticalFlip = c.vertical;
      d.horizontalFlip = c.horizontal;
    });
    sprites->Update(0.0f);
    const std::vector<DX_V::PCT> v = Vertices(*sprites);
    ASSERT_EQ(v.size(), 8u);
    for (int i = 0; i < 8; ++i) {
      EXPECT_FLOAT_EQ(v[i].u, c.u[i % 4]) << i;
      EXPECT_FLOAT_EQ(v[i].v, c.v[i % 4]) << i;
    }
  }
}

// Four frames at two frames per second: frame 0 until more than 0.5 s of animation time have
// passed, then frame 1, once per call whatever the number of particles. The animation time runs at
// speed 50, one second per second, with steps of at most 0.2 s.
TEST_F(ParticleGeometryTest, StripFramesChangeOncePerCallAfterOneFrameTime) {
  struct Step {
    float sceneTime;
    float u0, u1;  // unflipped
  };
  // Every step of scene time is at most 0.2 s, so animation time follows scene time exactly.
  const Step steps[] = {
      {0.0f, 0.0f, 0.25f}, {0.2f, 0.0f, 0.25f}, {0.4f, 0.0f, 0.25f},  {0.45f, 0.0f, 0.25f},
      {0.6f, 0.25f, 0.5f}, {0.8f, 0.25f, 0.5f}, {1.0f, 0.25f, 0.5f},  {1.2f, 0.5f, 0.75f},
      {1.4f, 0.5f, 0.75f}, {1.6f, 0.5f, 0.75f}, {1.8f, 0.75f, 1.0f},  {2.0f, 0.75f, 1.0f},
      {2.2f, 0.75f, 1.0f}, {2.4f, 0.0f, 0.25f},
  };
  for (int flip = 0; flip <= 1; ++flip) {
    SCOPED_TRACE(flip ? "horizontal flip" : "no flip");
    auto sprites = MakeSprites(3, [&](TestSprites& d) {
      d.stripAnimation = true;
      d.frameCount = 4;
      d.frameRate = 2.0f;
      d.horizontalFlip = flip;
    });
    for (const Step& s : steps) {
      SCOPED_TRACE(s.sceneTime);
      sprites->Update(s.sceneTime);
      const std::vector<DX_V::PCT> v = Vertices(*sprites);
      ASSERT_EQ(v.size(), 12u);
      const float first = flip ? s.u1 : s.u0, second = flip ? s.u0 : s.u1;
      for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(v[i].u, i % 4 < 2 ? first : second) << i;
    }
  }
}

// A strip whose frame count is 0 shows the whole picture as its only frame; a rate of 0 never moves.
TEST_F(ParticleGeometryTest, StripWithoutFramesOrRateStaysOnItsFirstFrame) {
  struct Case {
    UINT frames;
    float rate;
    float u1;
  };
  const Case cases[] = {{0, 2.0f, 1.0f}, {4, 0.0f, 0.25f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    auto sprites = MakeSprites(1, [&](TestSprites& d) {
      d.stripAnimation = true;
      d.frameCount = c.frames;
      d.frameRate = c.rate;
    });
    for (float t : {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f}) sprites->Update(t);
    const std::vector<DX_V::PCT> v = Vertices(*sprites);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[1].u, 0.0f);
    EXPECT_FLOAT_EQ(v[3].u, c.u1);
  }
}

// When the buffers do not hold the count's quads (the count was stored without telling the
// geometry), nothing is written and the quads of the last write stay.
TEST_F(ParticleGeometryTest, AQuadCountThatDiffersFromTheCountWritesNothing) {
  float x = 10.0f;
  auto sprites = MakeSprites(2, [&](TestSprites& d) {
    d.place = [&x](Particle& p, size_t) { p.position.x = x; };
  });
  sprites->Update(0.0f);
  const std::vector<DX_V::PCT> before = Vertices(*sprites);
  ASSERT_EQ(before.size(), 8u);

  auto* d = static_cast<TestSprites*>(sprites->description);
  d->count.value = 3;
  for (Particle& p : sprites->particles) p.position.x = 200.0f;
  sprites->Update(0.1f);
  const std::vector<DX_V::PCT> after = Vertices(*sprites);
  ASSERT_EQ(after.size(), 8u);
  for (size_t i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(after[i].x, before[i].x) << i;

  d->count.value = 2;
  sprites->Update(0.2f);
  EXPECT_FLOAT_EQ(Vertices(*sprites)[1].x, 190.0f);  // the corner: x - half width
}

// Buffers that could not be made, or a lock that gives no memory, leave the quads unwritten without
// an error; what was written before stays.
TEST_F(ParticleGeometryTest, FailedBuffersOrLocksLeaveTheQuadsUnwritten) {
  machine::Faults& faults = machine::Current().faults;
  {
    faults.failResourceCreation = true;
    auto sprites = MakeSprites(2);
    faults.failResourceCreation = false;
    EXPECT_FALSE(sprites->vertexBuffer);
    EXPECT_EQ(sprites->particles.size(), 2u);
    sprites->Update(0.1f);
    RecordingLayer layer(log_);
    sprites->Render(layer);
    EXPECT_EQ(layer.spriteGeometry, sprites.get());
  }
  {
    auto sprites = MakeSprites(1);
    sprites->particles.front().position.x = 30.0f;
    sprites->Update(0.1f);
    sprites->particles.front().position.x = 80.0f;
    faults.failLocks = true;
    sprites->Update(0.2f);
    faults.failLocks = false;
    EXPECT_FLOAT_EQ(Vertices(*sprites).at(1).x, 20.0f);  // the corner of the first write
  }
}

}  // namespace
}  // namespace particle_test
