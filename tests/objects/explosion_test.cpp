// The explosion's loop, its replayed noise shifts, the effect parameters it sets and its record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "objects/explosion.h"
#include "render/particle.h"
#include "render/random.h"
#include "tests/objects/static_text_fixture.h"
#include "tests/support/builder_stream.h"

namespace explosion_test {
namespace {

// Keeps the last values set under each name.
class RecordingEffect final : public ID3DXEffect {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override { return --references_; }
  HRESULT SetFloat(D3DXHANDLE name, FLOAT value) override {
    floats[name] = {value};
    return S_OK;
  }
  HRESULT SetFloatArray(D3DXHANDLE name, const FLOAT* values, UINT count) override {
    floats[name] = std::vector<float>(values, values + count);
    return S_OK;
  }
  HRESULT SetMatrix(D3DXHANDLE, const D3DXMATRIX*) override { return S_OK; }
  HRESULT SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 texture) override {
    textures[name] = texture;
    return S_OK;
  }
  HRESULT SetTechnique(D3DXHANDLE name) override {
    technique = name;
    return S_OK;
  }
  HRESULT Begin(UINT* passes, DWORD) override {
    *passes = 0;
    return S_OK;
  }
  HRESULT BeginPass(UINT) override { return S_OK; }
  HRESULT CommitChanges() override { return S_OK; }
  HRESULT EndPass() override { return S_OK; }
  HRESULT End() override { return S_OK; }
  HRESULT OnLostDevice() override { return S_OK; }
  HRESULT OnResetDevice() override { return S_OK; }

  std::map<std::string, std::vector<float>> floats;
  std::map<std::string, void*> textures;
  std::string technique;

 private:
  ULONG references_ = 1;
};

// The pairs the replay must give: draws 2k-1 and 2k of the system's generator after seeding it, as
// fractions of 32767. The draws were worked out from the generator's definition
// (state := state x 214013 + 2531011 modulo 2^32, draw := bits 16 to 30 of the state):
// seed 3 gives 48, 7196, 9294, 9091; seed 7 gives 61, 17422, 15215, 7040, 15521, 6516; seed 11
// gives 74, 27648, 21136, 4989.
std::vector<std::pair<float, float>> SeededPairs(unsigned seed, int count) {
  static const std::map<unsigned, std::vector<int>> kDraws = {
      {3, {48, 7196, 9294, 9091}}, {7, {61, 17422, 15215, 7040, 15521, 6516}}, {11, {74, 27648, 21136, 4989}}};
  const std::vector<int>& draws = kDraws.at(seed);
  std::vector<std::pair<float, float>> pairs;
  for (int i = 0; i < count && 2 * i + 1 < static_cast<int>(draws.size()); ++i)
    pairs.emplace_back(static_cast<float>(draws[2 * i]) / 32767.0f, static_cast<float>(draws[2 * i + 1]) / 32767.0f);
  return pairs;
}

// Delay 200, phases 1000, 500, 400, pause 300 (milliseconds): visible from 200 to 2100, loop 2400.
void SetLoop(DS_ExplosionConstructor& d) {
  d.delay = 200u;
  d.firstPhase = 1000u;
  d.secondPhase = 500u;
  d.thirdPhase = 400u;
  d.pause = 300u;
}

TEST(ExplosionDefaults, ScalesSpeedAndSize) {
  DS_ExplosionConstructor d;
  EXPECT_FLOAT_EQ(d.noiseScale1.derived, 0.79f);
  EXPECT_FLOAT_EQ(d.noiseScale2.derived, 0.15f);
  EXPECT_FLOAT_EQ(d.noiseScale3.derived, 0.42f);
  EXPECT_FLOAT_EQ(d.noiseSpeed.derived, 0.25f);
  EXPECT_EQ(d.size.value, 250u);
  EXPECT_EQ(d.speed.value, 100u);
  EXPECT_EQ(d.shiftCount, 1);
}

TEST(ExplosionLoop, HalfSizeAndAlphaThroughThePhases) {
  struct Case {
    float timeline;  // where the update starts; the real step is 0
    float half;
    float alpha;     // the particle's alpha after the update (1 where the loop leaves it alone)
    float timelineAfter;
  };
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f, 0.0f},           // the delay hides the quad
      {199.0f, 0.0f, 0.0f, 199.0f},
      {200.0f, 31.25f, 0.0f, 200.0f},     // a quarter of 125 at the start of the first phase
      {300.0f, 40.625f, 0.5f, 300.0f},    // 0.1 of the phase: grow 0.325, alpha 0.5
      {400.0f, 50.0f, 1.0f, 400.0f},      // full alpha after a fifth
      {700.0f, 78.125f, 1.0f, 700.0f},
      {1200.0f, 125.0f, 1.0f, 1200.0f},   // second phase at full size
      {2100.0f, 125.0f, 1.0f, 2100.0f},   // the end of the third phase is still drawn
      {2100.5f, 0.0f, 1.0f, 2100.5f},     // the pause hides it
      {2400.0f, 0.0f, 1.0f, 2400.0f},     // the loop ends only past the pause
      {2401.0f, 0.0f, 0.0f, 0.0f},        // back to the start, inside the delay
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeline);
    DS_ExplosionConstructor d;
    SetLoop(d);
    d.position = D3DXVECTOR3(30.0f, 40.0f, 0.0f);
    d.timeline = c.timeline;
    Particle p;
    p.alpha = 1.0f;
    d.UpdateParticle(p);
    EXPECT_FLOAT_EQ(p.halfWidth, c.half);
    EXPECT_FLOAT_EQ(p.halfHeight, c.half);
    EXPECT_NEAR(p.alpha, c.alpha, 1e-5f);
    EXPECT_EQ(d.timeline, c.timelineAfter);
    EXPECT_EQ(p.position, D3DXVECTOR3(30.0f, 40.0f, 0.0f));
  }
}

// In the delay the ramp would be negative; the particle's colour byte must not wrap to a visible
// alpha, and a first phase of 0 must not give a value that is not a number.
TEST(ExplosionLoop, DelayGivesATransparentParticleWithAnyFirstPhase) {
  for (UINT first : {0u, 1000u}) {
    SCOPED_TRACE(first);
    DS_ExplosionConstructor d;
    d.delay = 500u;
    d.firstPhase = first;
    d.timeline = 100.0f;
    Particle p;
    d.UpdateParticle(p);
    EXPECT_EQ(p.alpha, 0.0f);
    EXPECT_EQ(p.color >> 24, 0u);
    EXPECT_EQ(p.halfWidth, 0.0f);
    EXPECT_FALSE(std::isnan(d.FirstPhase()));
  }
}

TEST(ExplosionLoop, AllDurationsZeroRestartEveryUpdateAtFullSize) {
  DS_ExplosionConstructor d;
  RecordingEffect fx;
  d.effect.Set(&fx);
  Particle p;
  float t = 0.0f;
  for (int frame = 0; frame < 4; ++frame) {
    t += 0.05f;
    d.TimeStep(t);
    d.UpdateParticle(p);
    EXPECT_EQ(d.timeline, 0.0f);
    EXPECT_EQ(p.halfWidth, 125.0f);
    d.SetEffectParameters(nullptr);
    EXPECT_EQ(fx.floats["phase_1st"], std::vector<float>{0.0f});
    EXPECT_EQ(fx.floats["phase_3rd"], (std::vector<float>{0.0f, 1.0f}));
  }
  d.effect.Release();
}

// The timeline counts the real step (clipped at 100 ms) once per frame, however many particles the
// element has: three particles do not run the loop three times too fast.
TEST(ExplosionLoop, TimelineAdvancesInMillisecondsOncePerFrame) {
  DS_ExplosionConstructor d;
  d.delay = 100000u;
  Particle particles[3];
  d.TimeStep(0.05f);
  for (Particle& p : particles) d.UpdateParticle(p);
  EXPECT_NEAR(d.timeline, 50.0f, 1e-3f);
  d.TimeStep(3.0f);
  for (Particle& p : particles) d.UpdateParticle(p);
  EXPECT_NEAR(d.timeline, 150.0f, 1e-3f);
}

TEST(ExplosionLoop, RestartResetsLoopReplayAndNoiseClockButNotLastWholeTime) {
  DS_ExplosionConstructor d;
  d.timeline = 500.0f;
  d.shiftCount = 4;
  d.currentShift[0] = d.nextShift[1] = 0.5f;
  d.noiseSpeed.accumulated = 3.0f;
  d.noiseSpeed.last = 2.0f;
  d.lastWholeTime = 6.0f;
  d.Restart();
  EXPECT_EQ(d.timeline, 0.0f);
  EXPECT_EQ(d.shiftCount, 1);
  EXPECT_EQ(d.currentShift[0], 0.0f);
  EXPECT_EQ(d.nextShift[1], 0.0f);
  EXPECT_EQ(d.noiseSpeed.accumulated, 0.0f);
  EXPECT_EQ(d.noiseSpeed.last, 0.0f);
  EXPECT_EQ(d.lastWholeTime, 6.0f);
}

TEST(ExplosionShifts, SeededReplayGivesTheSequencePairByPairInEveryLoop) {
  const auto expected = SeededPairs(7, 3);
  DS_ExplosionConstructor d;
  d.seed = 7u;
  for (int loop = 0; loop < 2; ++loop) {
    SCOPED_TRACE(loop);
    d.Restart();
    for (int k = 0; k < 3; ++k) {
      Rand();  // another user of the generator between shifts changes nothing
      d.NextNoiseShift();
      EXPECT_EQ(d.nextShift[0], expected[k].first);
      EXPECT_EQ(d.nextShift[1], expected[k].second);
    }
  }
  DS_ExplosionConstructor other;
  other.seed = 7u;
  other.NextNoiseShift();
  EXPECT_EQ(other.nextShift[0], expected[0].first);
  EXPECT_EQ(other.nextShift[1], expected[0].second);
}

TEST(ExplosionShifts, RandomShiftsDrawOnWithoutReseeding) {
  const auto expected = SeededPairs(11, 2);
  DS_ExplosionConstructor d;
  d.seed = 7u;
  d.randomShifts = 1;
  SRand(11);
  d.NextNoiseShift();
  d.NextNoiseShift();
  EXPECT_EQ(d.nextShift[0], expected[1].first);
  EXPECT_EQ(d.nextShift[1], expected[1].second);
  EXPECT_EQ(d.shiftCount, 1);
}

TEST(ExplosionEffect, SetsEveryParameterForTheCurrentState) {
  DS_ExplosionConstructor d;
  SetLoop(d);
  RecordingEffect fx;
  d.effect.Set(&fx);
  d.color = 0x00FF8000u;        // blue 255, green 128, red 0
  d.secondColor = 0x00000033u;  // red 51
  d.timeline = 1900.0f;         // half way through the third phase
  d.currentShift[0] = 0.1f;
  d.currentShift[1] = 0.2f;
  d.nextShift[0] = 0.3f;
  d.nextShift[1] = 0.4f;
  d.animationTime = 0.25f;
  d.SetEffectParameters(nullptr);
  EXPECT_EQ(fx.technique, "Main");
  EXPECT_EQ(fx.floats["color1"], (std::vector<float>{0.0f, 128.0f / 255.0f, 1.0f}));
  EXPECT_EQ(fx.floats["color2"], (std::vector<float>{0.2f, 0.0f, 0.0f}));
  EXPECT_NEAR(d.noiseScale3.derived, 0.42f, 1e-6f);
  EXPECT_EQ(fx.floats["noise_params"], (std::vector<float>{d.noiseScale1.derived, d.noiseScale2.derived, d.noiseScale3.derived}));
  EXPECT_EQ(fx.floats["noise_shift"], (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
  EXPECT_EQ(fx.floats["time"], (std::vector<float>{0.25f, 0.75f}));
  EXPECT_EQ(fx.floats["phase_3rd"], (std::vector<float>{0.5f, 0.5f}));
  EXPECT_EQ(fx.floats["phase_1st"], std::vector<float>{0.0f});
  EXPECT_EQ(fx.textures.count("GradientTex"), 1u);
  EXPECT_EQ(fx.textures.count("NoiseTex"), 1u);
  d.timeline = 450.0f;  // a quarter of the first phase
  d.SetEffectParameters(nullptr);
  EXPECT_FLOAT_EQ(fx.floats["phase_1st"][0], 1.5f);
  d.effect.Release();
}

TEST(ExplosionEffect, NoiseDriftFollowsTheDirection) {
  struct Case {
    UINT degrees;
    float dx, dy;  // per unit of accumulated time
  };
  const Case cases[] = {{0u, -1.0f, 0.0f}, {90u, 0.0f, 1.0f}, {180u, 1.0f, 0.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    DS_ExplosionConstructor d;
    d.noiseDirection = c.degrees;
    std::unique_ptr<DS_ExplosionConstructor> clone(static_cast<DS_ExplosionConstructor*>(d.Clone()));
    RecordingEffect fx;
    clone->effect.Set(&fx);
    clone->noiseSpeed.accumulated = 2.0f;
    clone->currentShift[0] = 0.5f;
    clone->nextShift[1] = 0.25f;
    clone->SetEffectParameters(nullptr);
    const std::vector<float>& shift = fx.floats["noise_shift"];
    ASSERT_EQ(shift.size(), 4u);
    EXPECT_NEAR(shift[0], 0.5f + 2.0f * c.dx, 1e-5f);
    EXPECT_NEAR(shift[1], 2.0f * c.dy, 1e-5f);
    EXPECT_NEAR(shift[2], 2.0f * c.dx, 1e-5f);
    EXPECT_NEAR(shift[3], 0.25f + 2.0f * c.dy, 1e-5f);
    clone->effect.Release();
  }
}

// Passing a whole number of animation time moves the next shift to the current one and draws the
// next pair of the replay; within the same whole number nothing changes.
TEST(ExplosionEffect, ShiftChangesWhenTheAnimationTimePassesAWholeNumber) {
  const auto expected = SeededPairs(3, 2);
  DS_ExplosionConstructor d;
  d.seed = 3u;
  RecordingEffect fx;
  d.effect.Set(&fx);
  d.NextNoiseShift();
  d.animationTime = 0.5f;
  d.SetEffectParameters(nullptr);
  EXPECT_EQ(d.currentShift[0], 0.0f);
  d.animationTime = 1.5f;
  d.SetEffectParameters(nullptr);
  EXPECT_EQ(d.currentShift[0], expected[0].first);
  EXPECT_EQ(d.currentShift[1], expected[0].second);
  EXPECT_EQ(d.nextShift[0], expected[1].first);
  EXPECT_EQ(d.lastWholeTime, 1.0f);
  EXPECT_EQ(d.shiftCount, 3);
  d.animationTime = 1.9f;
  d.SetEffectParameters(nullptr);
  EXPECT_EQ(d.shiftCount, 3);
  d.effect.Release();
}

TEST(ExplosionEffect, NoEffectSetsNothingAndDoesNotFail) {
  DS_ExplosionConstructor d;
  d.animationTime = 2.5f;
  d.SetEffectParameters(nullptr);
  EXPECT_EQ(d.lastWholeTime, 0.0f);
}

TEST(ExplosionClone, CopiesPropertiesRunningStateAndTextures) {
  DS_ExplosionConstructor d;
  SetLoop(d);
  d.seed = 9u;
  d.noiseScale2.SetAndNotify(40u);
  d.noiseSpeed.SetAndNotify(100u);
  d.timeline = 321.0f;
  d.shiftCount = 5;
  d.nextShift[0] = 0.7f;
  d.lastWholeTime = 4.0f;
  std::unique_ptr<DS_ExplosionConstructor> clone(static_cast<DS_ExplosionConstructor*>(d.Clone()));
  EXPECT_EQ(clone->delay.value, 200u);
  EXPECT_EQ(clone->pause.value, 300u);
  EXPECT_EQ(clone->seed.value, 9u);
  EXPECT_FLOAT_EQ(clone->noiseScale2.derived, 0.4f);
  EXPECT_FLOAT_EQ(clone->noiseSpeed.derived, 0.5f);
  EXPECT_EQ(clone->timeline, 321.0f);
  EXPECT_EQ(clone->shiftCount, 5);
  EXPECT_EQ(clone->nextShift[0], 0.7f);
  EXPECT_EQ(clone->lastWholeTime, 4.0f);
  EXPECT_EQ(clone->size.value, 250u);
}

// The stored fields of an explosion, in the order of its record and the levels below it.
struct StoredExplosion {
  uint32_t scale1 = 30, scale2 = 20, scale3 = 10, direction = 90, speed = 80;
  uint32_t first = 1000, second = 500, third = 400, delay = 200, pause = 300, seed = 7;
  int32_t randomShifts = 0;
  uint32_t colour2 = 0x00112233;
  uint32_t statVersion = 2;
  float x = 40.0f, y = 50.0f, z = 0.0f;
  uint32_t height = 64, width = 128;
  uint32_t size = 200, colour = 0x00336699;
};

docbuild::Bytes ExplosionRecord(const StoredExplosion& s) {
  docbuild::DocumentBuilder b;
  b.Header(u"DS_ExplosionConstructor", 1).U32(s.scale1).U32(s.scale2).U32(s.scale3).U32(s.direction).U32(s.speed);
  b.U32(s.first).U32(s.second).U32(s.third).U32(s.delay).U32(s.pause).U32(s.seed).I32(s.randomShifts).U32(s.colour2);
  b.Header(u"DS_StatBaseFXCtrl", s.statVersion).F32(s.x).F32(s.y).F32(s.z);
  if (s.statVersion >= 2) b.U32(s.height).U32(s.width);
  b.Header(u"DS_BaseFXCtrl", 1);
  b.Header(u"DS_FXParticleSystemCtrl", 1).Link(u"text.fx", 1);
  b.Header(u"DS_BaseSpriteProp", 6);
  b.Header(u"DS_ViewObjCtrl", 2);
  for (int32_t edge : {0, 0, 0, 0, 0, 0}) b.I32(edge);
  for (float fraction : {0.0f, 1.0f, 0.0f, 1.0f}) b.F32(fraction);
  b.U8(0).U32(100);
  b.Header(u"DS_ABObj_Constructor", 1).String(u"boom");
  b.U32(1).U32(s.size).U32(0).I32(1).U32(s.colour);
  for (float value : {0.0f, 0.0f, 1.0f, 1.0f, 1.0f}) b.F32(value);
  b.Link(u"", 0).Link(u"", 0);
  b.U32(1).F32(0.0f).U32(1).F32(0.0f).U8(0);
  b.I32(0).I32(0).I32(0).I32(0);
  return b.Document();
}

std::unique_ptr<DS_ExplosionConstructor> ReadExplosion(const docbuild::Bytes& bytes, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  DS_ABObj_Constructor* object = ReadConstructorByClassName(&stream);
  *failed = stream->Failed();
  auto* explosion = dynamic_cast<DS_ExplosionConstructor*>(object);
  if (!explosion) delete object;
  return std::unique_ptr<DS_ExplosionConstructor>(explosion);
}

using ExplosionRecordTest = static_text_test::TextSceneTest;

TEST_F(ExplosionRecordTest, ReadsEveryFieldAndDerivedValues) {
  bool failed = true;
  auto d = ReadExplosion(ExplosionRecord(StoredExplosion{}), &failed);
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(failed);
  EXPECT_FLOAT_EQ(d->noiseScale1.derived, 0.7f);
  EXPECT_FLOAT_EQ(d->noiseScale2.derived, 0.2f);
  EXPECT_FLOAT_EQ(d->noiseScale3.derived, 0.1f);
  EXPECT_EQ(d->noiseDirection.value, 90u);
  EXPECT_FLOAT_EQ(d->noiseSpeed.derived, 0.4f);
  EXPECT_EQ(d->firstPhase.value, 1000u);
  EXPECT_EQ(d->secondPhase.value, 500u);
  EXPECT_EQ(d->thirdPhase.value, 400u);
  EXPECT_EQ(d->delay.value, 200u);
  EXPECT_EQ(d->pause.value, 300u);
  EXPECT_EQ(d->seed.value, 7u);
  EXPECT_EQ(d->secondColor.value, 0x00112233u);
  EXPECT_EQ(d->position.value, D3DXVECTOR3(40.0f, 50.0f, 0.0f));
  EXPECT_EQ(d->height.value, 64u);
  EXPECT_EQ(d->width.value, 128u);
  EXPECT_EQ(d->size.value, 200u);
  EXPECT_EQ(d->name, u"boom");
}

TEST_F(ExplosionRecordTest, VersionOneStaticLevelLeavesHeightAndWidthZero) {
  StoredExplosion s;
  s.statVersion = 1;
  bool failed = true;
  auto d = ReadExplosion(ExplosionRecord(s), &failed);
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(failed);
  EXPECT_EQ(d->height.value, 0u);
  EXPECT_EQ(d->width.value, 0u);
  EXPECT_EQ(d->name, u"boom");
}

TEST_F(ExplosionRecordTest, SavingWritesTheRecordItWasReadFrom) {
  const docbuild::Bytes bytes = ExplosionRecord(StoredExplosion{});
  bool failed = true;
  auto d = ReadExplosion(bytes, &failed);
  ASSERT_NE(d, nullptr);
  docbuild::BuilderStream writer;
  DS_IOF_Virtual* stream = &writer;
  EXPECT_TRUE(d->Save(&stream));
  EXPECT_EQ(writer.doc.Document(), bytes);
}

TEST_F(ExplosionRecordTest, TruncatedRecordFailsTheStream) {
  const docbuild::Bytes bytes = ExplosionRecord(StoredExplosion{});
  for (size_t length : {size_t(30), size_t(70), bytes.size() / 2, bytes.size() - 1}) {
    SCOPED_TRACE(length);
    const docbuild::ExactBuffer exact(docbuild::Truncated(bytes, length));
    ResourceBuffer buffer(exact.Data(), exact.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
    EXPECT_TRUE(stream->Failed());
  }
}

// Loading with no pictures behind the links leaves both textures empty and still draws the first
// pair of the replay.
TEST_F(ExplosionRecordTest, LoadingTakesTheEffectAndTheFirstShift) {
  const auto expected = SeededPairs(7, 1);
  bool failed = true;
  auto d = ReadExplosion(ExplosionRecord(StoredExplosion{}), &failed);
  ASSERT_NE(d, nullptr);
  d->LoadResources();
  EXPECT_NE(d->effect.Get(), nullptr);
  EXPECT_EQ(d->gradientTexture.Get(), nullptr);
  EXPECT_EQ(d->noiseTexture.Get(), nullptr);
  EXPECT_EQ(d->nextShift[0], expected[0].first);
  EXPECT_EQ(d->shiftCount, 2);
}

}  // namespace
}  // namespace explosion_test
