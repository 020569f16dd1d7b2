// The stored levels of the effect particle descriptions, read from bytes built by hand and written
// back; the glow intensity read from a record reaching the glow pass; and the references a clone of
// a loaded description holds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/iof_reader.h"
#include "particle_fixture.h"
#include "platform/d3dx9/effect.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace particle_test {
namespace {

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

struct StoredGlow {
  uint32_t colour = 0x00336699u;
  uint32_t intensity = 50;
  std::u16string effect = u"glow.fx";
  int64_t effectStamp = 1;
  std::u16string image = u"wide.png", mask = u"mask.png";
  uint32_t count = 2;
  int32_t blend = 1;
};

// "DS_FXParticleSystemCtrl" and the sprite record below it.
void EffectLevels(docbuild::DocumentBuilder& b, const StoredGlow& s) {
  b.Header(u"DS_FXParticleSystemCtrl", 1).Link(s.effect, s.effectStamp);
  b.Header(u"DS_BaseSpriteProp", 6);
  b.Header(u"DS_ViewObjCtrl", 2);
  for (int32_t edge : {0, 0, 0, 0, 0, 0}) b.I32(edge);
  for (float fraction : {0.0f, 1.0f, 0.0f, 1.0f}) b.F32(fraction);
  b.U8(0).U32(50);
  b.Header(u"DS_ABObj_Constructor", 1).String(u"sparks");
  b.U32(s.count).U32(16).U32(0).I32(s.blend).U32(0x00FFFFFFu);
  for (float value : {0.0f, 0.0f, 1.0f, 1.0f, 1.0f}) b.F32(value);
  b.Link(s.image, 1).Link(s.mask, 1);
  b.U32(1).F32(0.0f).U32(1).F32(0.0f).U8(0);
  b.I32(0).I32(0).I32(0).I32(0);
}

docbuild::Bytes GlowRecord(const StoredGlow& s) {
  docbuild::DocumentBuilder b;
  b.Header(u"DS_GlowEffectCtrl", 1).U32(s.colour).U32(s.intensity);
  EffectLevels(b, s);
  return b.Document();
}

docbuild::Bytes BaseFXRecord(const StoredGlow& s) {
  docbuild::DocumentBuilder b;
  b.Header(u"DS_BaseFXCtrl", 1);
  EffectLevels(b, s);
  return b.Document();
}

// Reads with `read` and tells whether the stream stopped exactly before the marker that follows.
template <class D>
bool ReadRecord(const docbuild::Bytes& bytes, D& d, bool* atEnd) {
  docbuild::DocumentBuilder tail;
  tail.Raw(bytes);
  tail.U32(0xC0FFEE);
  ResourceBuffer buffer(tail.Document().data(), tail.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  const bool read = d.ReadBase(&stream);
  DWORD next = 0;
  stream->ReadULong(&next);
  *atEnd = !stream->Failed() && next == 0xC0FFEEu;
  return read;
}

template <class D>
docbuild::Bytes Saved(D& d) {
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(d.Save(&stream));
  return out.Written();
}

class EffectParticleRecordTest : public ParticleSceneTest {
 protected:
  d3dx9::EffectRecording effectRecording_;
};

TEST_F(EffectParticleRecordTest, GlowRecordReadsEveryLevelAndIsWrittenBackUnchanged) {
  const StoredGlow stored;
  TestGlow d(log_);
  bool atEnd = false;
  ASSERT_TRUE(ReadRecord(GlowRecord(stored), d, &atEnd));
  EXPECT_TRUE(atEnd);
  EXPECT_EQ(d.glowColor.value, 0x00336699u);
  EXPECT_EQ(d.glowIntensity.value, 50u);
  EXPECT_FLOAT_EQ(d.glowIntensity.derived, 0.5f);
  EXPECT_EQ(d.effectLink.GetPath(), u"glow.fx");
  EXPECT_EQ(d.count.value, 2u);
  EXPECT_EQ(d.blendMode.value, 1);
  EXPECT_EQ(d.imageLink.GetPath(), u"wide.png");
  // Reading loads nothing: that is the render object's work, on its own clone.
  EXPECT_FALSE(d.effect);
  EXPECT_FALSE(d.glowTexture);
  EXPECT_EQ(Saved(d), GlowRecord(stored));
}

TEST_F(EffectParticleRecordTest, BaseEffectRecordReadsItsBareLevelAndIsWrittenBackUnchanged) {
  StoredGlow stored;
  stored.effect = u"other.fx";
  stored.effectStamp = -7;
  TestFX d(log_);
  bool atEnd = false;
  ASSERT_TRUE(ReadRecord(BaseFXRecord(stored), d, &atEnd));
  EXPECT_TRUE(atEnd);
  EXPECT_EQ(d.effectLink.GetPath(), u"other.fx");
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  EXPECT_TRUE(d.SaveBase(&stream));
  EXPECT_EQ(out.Written(), BaseFXRecord(stored));
}

// A record cut anywhere is reported, never read past, and leaves the description usable.
TEST_F(EffectParticleRecordTest, TruncatedGlowRecordIsReportedAtEveryLevel) {
  const docbuild::Bytes whole = GlowRecord(StoredGlow{});
  // Cuts through the glow header, its fields, the effect level's header and link, and the sprite
  // record's last byte.
  for (size_t keep : {size_t{6}, size_t{46}, size_t{60}, size_t{120}, whole.size() - 1}) {
    SCOPED_TRACE(keep);
    ASSERT_LT(keep, whole.size());
    const docbuild::Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(keep));
    ResourceBuffer buffer(cut.data(), cut.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    TestGlow d(log_);
    EXPECT_FALSE(d.ReadBase(&stream));
    EXPECT_TRUE(stream->Failed());
    Saved(d);
  }
}

// A stored intensity of 50 tints the glow quad at half strength.
TEST_F(EffectParticleRecordTest, StoredIntensityIsTheAlphaOfTheGlowColour) {
  struct Case {
    uint32_t intensity;
    float alpha;
  };
  for (const Case c : {Case{50, 0.5f}, Case{100, 1.0f}, Case{0, 0.0f}, Case{250, 2.5f}}) {
    SCOPED_TRACE(c.intensity);
    StoredGlow stored;
    stored.intensity = c.intensity;
    TestGlow d(log_);
    bool atEnd = false;
    ASSERT_TRUE(ReadRecord(GlowRecord(stored), d, &atEnd));
    std::unique_ptr<DS_GlowingObj> glow(static_cast<DS_GlowingObj*>(d.CreateObject()));
    ASSERT_TRUE(glow->glowController->effect);
    glow->Update(0.1f);
    RecordingLayer layer(log_);
    glow->Render(layer);
    std::vector<float> blend;
    for (const d3dx9::EffectCall& call : *d3dx9::RecordedEffectCalls(glow->glowController->effect.Get()))
      if (call.method == "SetFloatArray" && call.name == "BlendColor") blend = call.values;
    ASSERT_EQ(blend.size(), 4u);
    EXPECT_FLOAT_EQ(blend[0], 0x99 / 255.0f);
    EXPECT_FLOAT_EQ(blend[1], 0x66 / 255.0f);
    EXPECT_FLOAT_EQ(blend[2], 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(blend[3], c.alpha);
  }
}

// The clone shares the effect and both pictures, one reference more each; destroying it gives them
// back. The clone copies colour and intensity with its derived value.
TEST_F(EffectParticleRecordTest, CloneOfALoadedGlowHoldsOneMoreReferenceToEachResource) {
  TestGlow d(log_);
  d.effectLink = Effect(u"glow.fx");
  d.imageLink = Image(u"wide.png");
  d.maskLink = Image(u"mask.png");
  d.glowColor = 0x00010203u;
  d.glowIntensity.SetAndNotify(30);
  d.LoadResources();
  ASSERT_TRUE(d.effect);
  ASSERT_TRUE(d.glowTexture);
  ASSERT_TRUE(d.spriteTexture);
  IUnknown* held[] = {d.effect.Get(), d.glowTexture.Get(), d.spriteTexture.Get()};
  std::vector<ULONG> before;
  for (IUnknown* object : held) before.push_back(References(object));
  {
    std::unique_ptr<DS_GlowEffectCtrl> clone(static_cast<DS_GlowEffectCtrl*>(d.Clone()));
    EXPECT_EQ(clone->effect.Get(), d.effect.Get());
    EXPECT_EQ(clone->glowColor.value, 0x00010203u);
    EXPECT_FLOAT_EQ(clone->glowIntensity.derived, 0.3f);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(References(held[i]), before[i] + 1) << i;
  }
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(References(held[i]), before[i]) << i;
}

// Loading again replaces what was held instead of adding to it.
TEST_F(EffectParticleRecordTest, LoadingTwiceKeepsOneReference) {
  TestGlow d(log_);
  d.effectLink = Effect(u"glow.fx");
  d.maskLink = Image(u"mask.png");
  d.LoadResources();
  ASSERT_TRUE(d.effect);
  const ULONG effectRefs = References(d.effect.Get());
  const ULONG maskRefs = References(d.glowTexture.Get());
  d.LoadResources();
  EXPECT_EQ(References(d.effect.Get()), effectRefs);
  EXPECT_EQ(References(d.glowTexture.Get()), maskRefs);
}

}  // namespace
}  // namespace particle_test
