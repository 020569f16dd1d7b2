// The text element's fade loop, its draw format, its stored record and its identity.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "platform/com/guid_source.h"
#include "render/particle.h"
#include "slideshow/view_2d.h"
#include "tests/objects/static_text_fixture.h"
#include "tests/support/builder_stream.h"

namespace static_text_test {
namespace {

DS_StaticTextConstructor* ReadText(const docbuild::Bytes& bytes, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  DS_ABObj_Constructor* object = ReadConstructorByClassName(&stream);
  *failed = stream->Failed();
  auto* text = dynamic_cast<DS_StaticTextConstructor*>(object);
  if (!text) delete object;
  return text;
}

// Delay 1000, fade-in 500, hold 2000, fade-out 500 (milliseconds).
void SetLoop(DS_StaticTextConstructor& d) {
  d.delay = 1000u;
  d.fadeIn = 500u;
  d.hold = 2000u;
  d.fadeOut = 500u;
}

TEST(StaticTextLoop, AlphaFollowsDelayFadeInHoldAndFadeOut) {
  struct Case {
    float timeline;  // where the update starts; the real step is 0
    float alphaBefore;
    float alpha;
    float timelineAfter;
  };
  const Case cases[] = {
      {0.0f, 1.0f, 0.0f, 0.0f},        // hidden through the delay
      {999.0f, 1.0f, 0.0f, 999.0f},
      {1000.0f, 1.0f, 0.0f, 1000.0f},  // the fade-in starts at 0
      {1250.0f, 0.0f, 0.5f, 1250.0f},
      {1500.0f, 0.0f, 1.0f, 1500.0f},  // the end of the fade-in is the hold
      {2000.0f, 0.0f, 1.0f, 2000.0f},
      {3500.0f, 0.0f, 1.0f, 3500.0f},  // the fade-out starts at 1
      {3750.0f, 1.0f, 0.5f, 3750.0f},
      {3999.0f, 1.0f, 0.002f, 3999.0f},
      {4000.0f, 0.25f, 0.25f, 0.0f},   // back to the start; the alpha waits for the next update
      {9000.0f, 0.75f, 0.75f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeline);
    DS_StaticTextConstructor d;
    SetLoop(d);
    d.timeline = c.timeline;
    d.alpha = c.alphaBefore;
    Particle p;
    d.UpdateParticle(p);
    EXPECT_NEAR(d.alpha, c.alpha, 1e-5f);
    EXPECT_EQ(d.timeline, c.timelineAfter);
  }
}

TEST(StaticTextLoop, AfterTheLoopEndsTheNextUpdateIsInTheDelayAgain) {
  DS_StaticTextConstructor d;
  SetLoop(d);
  d.timeline = 4000.0f;
  d.alpha = 0.3f;
  Particle p;
  d.UpdateParticle(p);
  EXPECT_EQ(d.timeline, 0.0f);
  EXPECT_FLOAT_EQ(d.alpha, 0.3f);
  d.UpdateParticle(p);
  EXPECT_EQ(d.alpha, 0.0f);
}

TEST(StaticTextLoop, AllDurationsZeroKeepTheTimelineAtZeroAndTheAlpha) {
  DS_StaticTextConstructor d;
  Particle p;
  float t = 0.0f;
  for (int frame = 0; frame < 5; ++frame) {
    t += 0.05f;
    d.TimeStep(t);
    d.UpdateParticle(p);
    EXPECT_EQ(d.timeline, 0.0f);
    EXPECT_EQ(d.alpha, 1.0f);
  }
}

// The timeline counts milliseconds of the real step, which the clock clips at 100 ms per frame.
TEST(StaticTextLoop, TimelineAdvancesByTheRealStepInMilliseconds) {
  DS_StaticTextConstructor d;
  d.delay = 100000u;
  Particle p;
  d.TimeStep(0.05f);
  d.UpdateParticle(p);
  EXPECT_NEAR(d.timeline, 50.0f, 1e-3f);
  d.TimeStep(2.0f);
  d.UpdateParticle(p);
  EXPECT_NEAR(d.timeline, 150.0f, 1e-3f);
}

// Every particle of the element is updated each frame; the loop still moves once per frame.
TEST(StaticTextLoop, SeveralParticlesAdvanceTheLoopOncePerFrame) {
  DS_StaticTextConstructor d;
  d.delay = 100000u;
  Particle particles[3];
  float t = 0.0f;
  for (int frame = 0; frame < 4; ++frame) {
    t += 0.05f;
    d.TimeStep(t);
    for (Particle& p : particles) d.UpdateParticle(p);
  }
  EXPECT_NEAR(d.timeline, 200.0f, 1e-2f);
}

// Each particle covers the element's rectangle around its position; its colour is the sprite
// colour (red, from the constructor) at the particle's own alpha, whatever the fade alpha.
TEST(StaticTextLoop, ParticleCoversTheRectangleWithItsOwnAlpha) {
  DS_StaticTextConstructor d;
  d.delay = 1000u;
  d.position = D3DXVECTOR3(30.0f, 40.0f, 0.0f);
  d.width = 101u;
  d.height = 50u;
  Particle p;
  p.alpha = 0.5f;
  d.UpdateParticle(p);
  EXPECT_EQ(d.alpha, 0.0f);
  EXPECT_EQ(p.position, D3DXVECTOR3(30.0f, 40.0f, 0.0f));
  EXPECT_EQ(p.halfWidth, 50.5f);
  EXPECT_EQ(p.halfHeight, 25.0f);
  EXPECT_EQ(p.color, 0x7FFF0000u);
}

TEST(StaticTextLoop, RestartStartsTheLoopAgainAndKeepsTheAlpha) {
  DS_StaticTextConstructor d;
  SetLoop(d);
  d.timeline = 2500.0f;
  d.alpha = 0.6f;
  d.Restart();
  EXPECT_EQ(d.timeline, 0.0f);
  EXPECT_FLOAT_EQ(d.alpha, 0.6f);
}

TEST(StaticTextAlpha, FadeAlphaBecomesTheTextAlphaByte) {
  struct Case {
    float alpha;
    int byte;
  };
  const Case cases[] = {{0.5f, 128},  {1.0f, 255}, {1.5f, 255}, {0.0f, 0},
                        {-0.25f, 0},  {0.001f, 0}, {0.998f, 254},
                        {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const Case& c : cases) EXPECT_EQ(DS_StaticTextConstructor::AlphaByte(c.alpha), c.byte) << c.alpha;
}

TEST(StaticTextDefaults, NewTextIsRedCentredArialWithFullAlpha) {
  const LayerView saved = g_LayerView;
  g_LayerView.pictureWidth = 640;
  g_LayerView.pictureHeight = 480;
  DS_StaticTextConstructor d;
  g_LayerView = saved;
  EXPECT_EQ(d.color.value, 255u);
  EXPECT_EQ(d.position.value, D3DXVECTOR3(320.0f, 240.0f, 0.0f));
  EXPECT_EQ(d.font.height, 32);
  EXPECT_EQ(d.font.weight, 700);
  EXPECT_EQ(d.font.italic, 0);
  EXPECT_EQ(d.font.faceName, u"Arial");
  EXPECT_EQ(d.alpha, 1.0f);
  EXPECT_EQ(d.timeline, 0.0f);
  EXPECT_TRUE(d.text.value.empty());
  EXPECT_EQ(d.count.value, 1u);
}

class StaticTextSceneTest : public TextSceneTest {};

TEST_F(StaticTextSceneTest, AlignmentsGiveTheDrawFormat) {
  struct Case {
    INT horizontal, vertical;
    DWORD format;
  };
  const Case cases[] = {
      {0, 0, DT_LEFT | DT_TOP},  {1, 0, DT_CENTER},           {2, 0, DT_RIGHT},
      {5, 0, DT_LEFT},           {-1, 0, DT_LEFT},            {0, 1, DT_VCENTER},
      {0, 2, DT_BOTTOM},         {0, 5, DT_TOP},              {1, 1, DT_CENTER | DT_VCENTER},
      {2, 2, DT_RIGHT | DT_BOTTOM}, {5, 5, DT_LEFT | DT_TOP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.horizontal << ", " << c.vertical);
    auto d = MakeText(u"x", 16, 16);
    d->horizontalAlignment = c.horizontal;
    d->verticalAlignment = c.vertical;
    d->LoadResources();
    EXPECT_EQ(d->drawFormat, c.format);
  }
}

TEST_F(StaticTextSceneTest, LoadResourcesMakesTheTargetOfTheElementSizeAndTheFont) {
  auto d = MakeText(u"x", 120, 40);
  d->LoadResources();
  EXPECT_TRUE(d->effect);
  ASSERT_NE(d->textTarget, nullptr);
  EXPECT_EQ(d->textTarget, manager_->GetTextTarget(d->identity));
  EXPECT_EQ(d->textTarget->Width(), 120u);
  EXPECT_EQ(d->textTarget->Height(), 40u);
  D3DSURFACE_DESC desc{};
  ASSERT_NE(d->textTarget->Current(), nullptr);
  d->textTarget->Current()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 120u);
  EXPECT_EQ(desc.Height, 40u);
  EXPECT_TRUE(d->fontObject);
}

// A clone (the render object's copy) keeps the identity, and with it the target and the font slot;
// it holds one more reference to the font, given back when it dies.
TEST_F(StaticTextSceneTest, CloneSharesIdentityTargetAndFont) {
  auto d = MakeText(u"x", 32, 32);
  d->LoadResources();
  ASSERT_TRUE(d->fontObject);
  ID3DXFont* font = d->fontObject.Get();
  const ULONG before = doc_res_test::References(font);
  std::unique_ptr<DS_StaticTextConstructor> clone(static_cast<DS_StaticTextConstructor*>(d->Clone()));
  EXPECT_EQ(clone->identity, d->identity);
  EXPECT_EQ(clone->textTarget, d->textTarget);
  EXPECT_EQ(clone->fontObject.Get(), font);
  EXPECT_EQ(doc_res_test::References(font), before + 1);
  clone.reset();
  EXPECT_EQ(doc_res_test::References(font), before);
}

TEST_F(StaticTextSceneTest, ReloadingReplacesTheFont) {
  auto d = MakeText(u"x", 32, 32);
  d->LoadResources();
  ComHolder<ID3DXFont> first = d->fontObject;
  const ULONG held = doc_res_test::References(first.Get());
  d->LoadFont();
  EXPECT_TRUE(d->fontObject);
  EXPECT_NE(d->fontObject.Get(), first.Get());
  // The manager's slot and the description both gave up the first font.
  EXPECT_EQ(doc_res_test::References(first.Get()), held - 2);
}

TEST_F(StaticTextSceneTest, ReadsEveryStoredField) {
  const StoredText stored;
  bool failed = true;
  std::unique_ptr<DS_StaticTextConstructor> d(ReadText(TextRecord(stored), &failed));
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(failed);
  EXPECT_EQ(d->verticalAlignment.value, 1);
  EXPECT_EQ(d->horizontalAlignment.value, 2);
  EXPECT_EQ(d->text.value, u"Hello\nworld");
  EXPECT_EQ(d->font.height, 24);
  EXPECT_EQ(d->font.weight, 400);
  EXPECT_EQ(d->font.italic, 1);
  EXPECT_EQ(d->font.faceName, u"Times");
  EXPECT_EQ(d->fadeIn.value, 500u);
  EXPECT_EQ(d->fadeOut.value, 600u);
  EXPECT_EQ(d->hold.value, 700u);
  EXPECT_EQ(d->delay.value, 800u);
  EXPECT_EQ(d->position.value, D3DXVECTOR3(40.0f, 50.0f, 0.5f));
  EXPECT_EQ(d->height.value, 64u);
  EXPECT_EQ(d->width.value, 128u);
  EXPECT_EQ(d->effectLink.path, u"text.fx");
  EXPECT_EQ(d->effectLink.stamp, 1);
  EXPECT_EQ(d->count.value, 2u);
  EXPECT_EQ(d->size.value, 30u);
  EXPECT_EQ(d->transparency.derived, 127);
  EXPECT_EQ(d->blendMode.value, 1);
  EXPECT_EQ(d->color.value, 0x00336699u);  // the stored colour replaces the constructor's red
  EXPECT_EQ(d->speed.value, 75u);
  EXPECT_EQ(d->name, u"caption");
}

TEST_F(StaticTextSceneTest, VersionOneStaticLevelKeepsHeightAndWidthZero) {
  StoredText stored;
  stored.statVersion = 1;
  bool failed = true;
  std::unique_ptr<DS_StaticTextConstructor> d(ReadText(TextRecord(stored), &failed));
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(failed);
  EXPECT_EQ(d->height.value, 0u);
  EXPECT_EQ(d->width.value, 0u);
  EXPECT_EQ(d->position.value, D3DXVECTOR3(40.0f, 50.0f, 0.5f));
  EXPECT_EQ(d->name, u"caption");
}

TEST_F(StaticTextSceneTest, SavingWritesTheRecordItWasReadFrom) {
  const docbuild::Bytes bytes = TextRecord(StoredText{});
  bool failed = true;
  std::unique_ptr<DS_StaticTextConstructor> d(ReadText(bytes, &failed));
  ASSERT_NE(d, nullptr);
  docbuild::BuilderStream writer;
  DS_IOF_Virtual* stream = &writer;
  EXPECT_TRUE(d->Save(&stream));
  EXPECT_EQ(writer.doc.Document(), bytes);
}

// A record cut anywhere is reported by the stream and never read past its end.
TEST_F(StaticTextSceneTest, TruncatedRecordFailsTheStream) {
  const docbuild::Bytes bytes = TextRecord(StoredText{});
  for (size_t length : {size_t(40), size_t(90), bytes.size() / 2, bytes.size() - 1}) {
    SCOPED_TRACE(length);
    const docbuild::ExactBuffer exact(docbuild::Truncated(bytes, length));
    ResourceBuffer buffer(exact.Data(), exact.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
    EXPECT_TRUE(stream->Failed());
  }
}

// The identity is never stored: every description made, read ones too, takes a GUID of its own.
TEST_F(StaticTextSceneTest, EveryReadGivesNewIdentities) {
  uint32_t next = 0;
  com::SetGuidSource([&next] {
    GUID guid{};
    guid.Data1 = ++next;
    return guid;
  });
  const docbuild::Bytes bytes = TextRecord(StoredText{});
  bool failed = true;
  std::unique_ptr<DS_StaticTextConstructor> first(ReadText(bytes, &failed));
  std::unique_ptr<DS_StaticTextConstructor> second(ReadText(bytes, &failed));
  com::SetGuidSource(nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first->identity, second->identity);
  EXPECT_NE(first->identity, GUID_NULL);
  first->LoadResources();
  second->LoadResources();
  EXPECT_NE(first->textTarget, second->textTarget);
}

}  // namespace
}  // namespace static_text_test
