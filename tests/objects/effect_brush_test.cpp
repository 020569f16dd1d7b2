// The brush base: its record, the shared drawing step, the clock, the mask and reference rules, and
// the render object a slide makes from a brush.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "brush_fixture.h"
#include "document/iof_reader.h"
#include "objects/brush_obj.h"
#include "platform/com/guid_source.h"
#include "tests/support/document_builder.h"

namespace brush_test {
namespace {

using doc_res_test::References;

constexpr uint8_t kData4[8] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};

// A "DS_FX_Constructor" record of the given version.
docbuild::Bytes BaseRecord(uint32_t version, uint32_t speed, int32_t mainFX, uint32_t zoom) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_FX_Constructor", version).U32(speed).I32(mainFX);
  doc.GuidText(0xCAFEF00D, 0x1234, 0x5678, kData4).String(u"brush mask").U8(0);
  doc.Link(u"brush.fx", 1);
  if (version > 1) doc.U32(zoom);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"waves");
  return doc.Document();
}

bool ReadInto(DS_FX_Constructor& brush, const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  return brush.ReadBase(&stream);
}

class EffectBrushTest : public BrushSceneTest {
 protected:
  std::unique_ptr<DS_BrushObj> MakeObject(TestBrush& description) {
    return std::unique_ptr<DS_BrushObj>(static_cast<DS_BrushObj*>(description.CreateObject()));
  }
  static std::vector<float> ScaleOf(ID3DXEffect* effect) { return LastSet(effect, "SetFloatArray Scale").values; }
};

TEST_F(EffectBrushTest, DefaultsAreAStoppedClockZoomOneAndANewIdentity) {
  GUID next = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
  com::SetGuidSource([&] { return next; });
  TestBrush brush;
  com::SetGuidSource(nullptr);
  EXPECT_EQ(brush.speed.value, 0u);
  EXPECT_FLOAT_EQ(brush.speed.derived, 0.0f);
  EXPECT_EQ(brush.mainFX.value, 0);
  EXPECT_EQ(brush.zoom.value, 50u);
  EXPECT_FLOAT_EQ(brush.zoom.derived, 1.0f);
  EXPECT_EQ(std::memcmp(&brush.identity.guid, &next, sizeof(GUID)), 0);
  EXPECT_TRUE(brush.identity.name.empty());
  EXPECT_EQ(brush.identity.flag, 1);
  EXPECT_FALSE(brush.mask);
  EXPECT_FALSE(brush.effect);
  EXPECT_TRUE(brush.effectLink.path.empty());
}

TEST_F(EffectBrushTest, RecordOfEitherVersionIsRead) {
  struct Case {
    uint32_t version;
    uint32_t zoom;
    float derivedZoom;
  };
  // Version 1 has no zoom: it stays at 50 (derived 1.0) whatever follows.
  const Case cases[] = {{1, 100, 1.0f}, {2, 100, 2.0f}, {3, 25, 0.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    TestBrush brush;
    ASSERT_TRUE(ReadInto(brush, BaseRecord(c.version, 25, 1, c.zoom)));
    EXPECT_EQ(brush.speed.value, 25u);
    EXPECT_FLOAT_EQ(brush.speed.derived, 25.0f) << "the speed's derived value follows the stored one";
    EXPECT_EQ(brush.mainFX.value, 1);
    EXPECT_EQ(brush.identity.guid.Data1, 0xCAFEF00Du);
    EXPECT_EQ(brush.identity.guid.Data4[7], 0xA7);
    EXPECT_EQ(brush.identity.name, u"brush mask");
    EXPECT_EQ(brush.identity.flag, 0);
    EXPECT_EQ(brush.effectLink.path, u"brush.fx");
    EXPECT_EQ(brush.effectLink.stamp, 1);
    EXPECT_FLOAT_EQ(brush.zoom.derived, c.derivedZoom);
    EXPECT_EQ(brush.name, u"waves");
  }
}

TEST_F(EffectBrushTest, TruncatedRecordFailsTheStreamAndKeepsDefaults) {
  const docbuild::Bytes whole = BaseRecord(2, 25, 1, 100);
  TestBrush brush;
  EXPECT_FALSE(ReadInto(brush, docbuild::Truncated(whole, 30)));
  EXPECT_EQ(brush.zoom.value, 50u);
  EXPECT_FLOAT_EQ(brush.zoom.derived, 1.0f);
  EXPECT_TRUE(brush.name.empty());
}

// "Scale" = (w / h / zoom, 1 / zoom); the technique follows the flag; "Mask" and "Background" are the
// brush's mask and the layer's background; then the screen quad, once.
TEST_F(EffectBrushTest, DrawBrushSetsScaleTechniqueAndTexturesThenDrawsTheScreenQuad) {
  struct Case {
    UINT w, h;
    UINT zoom;
    int mainFX;
    float sx, sy;
    const char* technique;
  };
  const Case cases[] = {
      {640, 480, 50, 0, 4.0f / 3.0f, 1.0f, "Main"},
      {640, 480, 100, 1, 2.0f / 3.0f, 0.5f, "MainFX"},
      {256, 256, 25, 7, 2.0f, 2.0f, "MainFX"},
      {480, 640, 50, 0, 0.75f, 1.0f, "Main"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " zoom " << c.zoom);
    TestBrush brush;
    brush.effectLink = Effect(u"brush.fx");
    brush.zoom.SetAndNotify(c.zoom);
    brush.mainFX = c.mainFX;
    ComHolder<IDirect3DTexture9> maskHolder;
    maskHolder.Set(TextureOf(u"gray.png"));
    brush.Load(&maskHolder);
    ASSERT_TRUE(brush.effect);
    DrawingLayer layer(c.w, c.h);
    layer.background.Set(TextureOf(u"red.png"));
    const size_t before = CallCount(brush.effect.Get());
    brush.Apply(layer);
    const std::vector<SetCall> calls = SetCalls(brush.effect.Get(), before);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].what, std::string("SetTechnique ") + c.technique);
    EXPECT_EQ(calls[1].what, "SetFloatArray Scale");
    ASSERT_EQ(calls[1].values.size(), 2u);
    EXPECT_FLOAT_EQ(calls[1].values[0], c.sx);
    EXPECT_FLOAT_EQ(calls[1].values[1], c.sy);
    EXPECT_EQ(calls[2].what, "SetTexture Mask");
    EXPECT_EQ(calls[2].texture, TextureOf(u"gray.png"));
    EXPECT_EQ(calls[3].what, "SetTexture Background");
    EXPECT_EQ(calls[3].texture, TextureOf(u"red.png"));
    EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
  }
}

TEST_F(EffectBrushTest, BrushWithoutEffectOrMaskDrawsNothingOrANullMask) {
  TestBrush missing;
  missing.effectLink = Effect(u"absent.fx");
  missing.Load(nullptr);
  EXPECT_FALSE(missing.effect);
  DrawingLayer layer(64, 64);
  missing.Apply(layer);
  EXPECT_TRUE(layer.events.empty());

  TestBrush unmasked;
  unmasked.effectLink = Effect(u"brush.fx");
  unmasked.Load(nullptr);
  unmasked.Apply(layer);
  EXPECT_EQ(LastSet(unmasked.effect.Get(), "SetTexture Mask").what, "SetTexture Mask");
  EXPECT_EQ(LastSet(unmasked.effect.Get(), "SetTexture Mask").texture, nullptr);
}

TEST_F(EffectBrushTest, PictureWithoutHeightGivesAFiniteScale) {
  TestBrush brush;
  brush.effectLink = Effect(u"brush.fx");
  brush.Load(nullptr);
  DrawingLayer layer(64, 0);
  brush.Apply(layer);
  const std::vector<float> scale = ScaleOf(brush.effect.Get());
  ASSERT_EQ(scale.size(), 2u);
  EXPECT_FLOAT_EQ(scale[0], 1.0f);
  EXPECT_FLOAT_EQ(scale[1], 1.0f);
}

// step = min(t - last, 0.2) x derived speed; a time before the last one only becomes the last time.
TEST_F(EffectBrushTest, ClockAdvancesByCappedStepsAndNeverBackwards) {
  TestBrush brush;
  brush.speed.SetAndNotify(25);
  brush.Update(0.1f);
  EXPECT_FLOAT_EQ(brush.speed.accumulated, 2.5f);
  brush.Update(5.0f);  // a gap of several seconds counts 0.2 s
  EXPECT_FLOAT_EQ(brush.speed.accumulated, 7.5f);
  brush.Update(3.0f);  // earlier: nothing, and 3.0 is the new last time
  EXPECT_FLOAT_EQ(brush.speed.accumulated, 7.5f);
  EXPECT_FLOAT_EQ(brush.speed.last, 3.0f);
  brush.Update(3.1f);
  EXPECT_NEAR(brush.speed.accumulated, 10.0f, 1e-5f);
}

TEST_F(EffectBrushTest, BrushesWithTheSameGuidShareTheDocumentsMask) {
  IDirect3DTexture9* stored = manager_->GuidTexture(kMaskGuid).Get();
  const ULONG before = References(stored);
  TestBrush a, b;
  a.effectLink = b.effectLink = Effect(u"brush.fx");
  a.identity.guid = b.identity.guid = kMaskGuid;
  auto first = MakeObject(a);
  auto second = MakeObject(b);
  EXPECT_EQ(first->brush->mask.Get(), stored);
  EXPECT_EQ(second->brush->mask.Get(), stored);
  EXPECT_EQ(References(stored), before + 2);
  first.reset();
  second.reset();
  EXPECT_EQ(References(stored), before);
}

TEST_F(EffectBrushTest, UnknownGuidGetsAnEmptySlotAndNoMask) {
  TestBrush brush;
  brush.effectLink = Effect(u"brush.fx");
  const size_t slots = manager_->Tables().guidTextures.size();
  auto object = MakeObject(brush);
  EXPECT_FALSE(object->brush->mask);
  EXPECT_EQ(manager_->Tables().guidTextures.size(), slots + 1);
  EXPECT_EQ(manager_->Tables().guidTextures.count(brush.identity.guid), 1u);
}

TEST_F(EffectBrushTest, SetMaskWithTheBrushsOwnHolderChangesNothing) {
  TestBrush brush;
  ComHolder<IDirect3DTexture9> holder;
  holder.Set(TextureOf(u"gray.png"));
  IDirect3DTexture9* gray = holder.Get();
  brush.SetMask(&holder);
  const ULONG held = References(gray);
  brush.SetMask(brush.GetMask());
  EXPECT_EQ(brush.mask.Get(), gray);
  EXPECT_EQ(References(gray), held);

  // Another holder's texture replaces it: the old one loses the brush's reference.
  ComHolder<IDirect3DTexture9> other;
  other.Set(TextureOf(u"red.png"));
  brush.SetMask(&other);
  EXPECT_EQ(brush.mask.Get(), TextureOf(u"red.png"));
  EXPECT_EQ(References(gray), held - 1);
  ComHolder<IDirect3DTexture9> empty;
  brush.SetMask(&empty);
  EXPECT_FALSE(brush.mask);
}

TEST_F(EffectBrushTest, RenewIdentityDropsTheMaskAndTakesANewGuid) {
  TestBrush brush;
  brush.identity.name = u"old";
  brush.identity.flag = 0;
  brush.identity.guid = kMaskGuid;
  brush.SetMask(&manager_->GuidTexture(kMaskGuid));
  ASSERT_TRUE(brush.mask);
  GUID next = {0xFEEDBEEF, 1, 2, {3, 3, 3, 3, 3, 3, 3, 3}};
  com::SetGuidSource([&] { return next; });
  brush.RenewIdentity();
  com::SetGuidSource(nullptr);
  EXPECT_FALSE(brush.mask);
  EXPECT_EQ(std::memcmp(&brush.identity.guid, &next, sizeof(GUID)), 0);
  EXPECT_TRUE(brush.identity.name.empty());
  EXPECT_EQ(brush.identity.flag, 1);
}

TEST_F(EffectBrushTest, CloneSharesEffectAndMaskWithOneReferenceEach) {
  TestBrush brush;
  brush.effectLink = Effect(u"brush.fx");
  brush.Load(&manager_->GuidTexture(kMaskGuid));
  brush.speed.SetAndNotify(10);
  brush.Update(0.1f);
  brush.zoom.SetAndNotify(100);
  brush.identity.name = u"n";
  brush.name = u"element";
  const ULONG effectRefs = References(brush.effect.Get());
  const ULONG maskRefs = References(brush.mask.Get());
  std::unique_ptr<DS_FX_Constructor> clone(brush.Clone());
  EXPECT_EQ(References(brush.effect.Get()), effectRefs + 1);
  EXPECT_EQ(References(brush.mask.Get()), maskRefs + 1);
  EXPECT_FLOAT_EQ(clone->speed.accumulated, 1.0f);
  EXPECT_FLOAT_EQ(clone->speed.last, 0.1f);
  EXPECT_FLOAT_EQ(clone->speed.derived, 10.0f);
  EXPECT_FLOAT_EQ(clone->zoom.derived, 2.0f);
  EXPECT_EQ(std::memcmp(&clone->identity.guid, &brush.identity.guid, sizeof(GUID)), 0);
  EXPECT_EQ(clone->identity.name, u"n");
  EXPECT_EQ(clone->name, u"element");
  EXPECT_EQ(clone->effectLink.path, u"brush.fx");
  clone.reset();
  EXPECT_EQ(References(brush.effect.Get()), effectRefs);
  EXPECT_EQ(References(brush.mask.Get()), maskRefs);
}

TEST_F(EffectBrushTest, AssignReplacesReferencesAndNotifiesDerivedValues) {
  TestBrush source;
  source.effectLink = Effect(u"brush.fx");
  source.Load(&manager_->GuidTexture(kMaskGuid));
  source.speed.SetAndNotify(30);
  source.zoom.SetAndNotify(150);
  source.mainFX = 1;
  TestBrush target;
  ComHolder<IDirect3DTexture9> gray;
  gray.Set(TextureOf(u"gray.png"));
  target.SetMask(&gray);
  const ULONG grayRefs = References(gray.Get());
  const ULONG maskRefs = References(source.mask.Get());
  target.Assign(source);
  EXPECT_EQ(target.mask.Get(), source.mask.Get());
  EXPECT_EQ(target.effect.Get(), source.effect.Get());
  EXPECT_EQ(References(gray.Get()), grayRefs - 1);
  EXPECT_EQ(References(source.mask.Get()), maskRefs + 1);
  EXPECT_FLOAT_EQ(target.speed.derived, 30.0f);
  EXPECT_FLOAT_EQ(target.zoom.derived, 3.0f);
  EXPECT_EQ(target.mainFX.value, 1);

  // Assigning a brush to itself keeps every reference.
  const ULONG effectRefs = References(target.effect.Get());
  target.Assign(target);
  EXPECT_EQ(References(target.effect.Get()), effectRefs);
  EXPECT_EQ(References(source.mask.Get()), maskRefs + 1);
}

TEST_F(EffectBrushTest, RenderObjectForwardsToItsBrushAndNeedsTheBackgroundOnlyWithMainFX) {
  for (int flag : {0, 1, -3}) {
    SCOPED_TRACE(flag);
    TestBrush description;
    description.effectLink = Effect(u"brush.fx");
    description.mainFX = flag;
    description.speed.SetAndNotify(20);
    auto object = MakeObject(description);
    EXPECT_NE(object->brush, &description);
    EXPECT_EQ(object->Controller(), object->brush);
    EXPECT_EQ(object->NeedsBackground(), flag != 0);
    EXPECT_EQ(object->QueryController(), nullptr);
    ASSERT_TRUE(object->brush->effect);
    object->Update(0.05f);
    EXPECT_FLOAT_EQ(object->brush->speed.accumulated, 1.0f);
    EXPECT_FLOAT_EQ(description.speed.accumulated, 0.0f);
    DrawingLayer layer(256, 256);
    object->Render(layer);
    EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
    EXPECT_EQ(LastSet(object->brush->effect.Get(), std::string("SetTechnique ") + (flag ? "MainFX" : "Main")).what,
              std::string("SetTechnique ") + (flag ? "MainFX" : "Main"));
  }
}

// Saving keeps a 512 x 512 copy of the mask as the document's texture under the brush's GUID, in
// place of what was there; a brush without mask leaves an empty slot.
TEST_F(EffectBrushTest, SavingStoresACopyOfTheMaskUnderTheIdentity) {
  docbuild::Bytes nothing(1, 0);
  ResourceBuffer buffer(nothing.data(), nothing.size());
  DS_IOF_R<ResourceBuffer> writer(&buffer);
  DS_IOF_Virtual* stream = &writer;

  TestBrush masked;
  ComHolder<IDirect3DTexture9> green;
  green.Set(TextureOf(u"green.png"));
  masked.SetMask(&green);
  masked.identity.guid = kMaskGuid;
  IDirect3DTexture9* before = manager_->GuidTexture(kMaskGuid).Get();
  EXPECT_TRUE(masked.Save(&stream));
  IDirect3DTexture9* copy = manager_->GuidTexture(kMaskGuid).Get();
  ASSERT_TRUE(copy);
  EXPECT_NE(copy, before);
  EXPECT_NE(copy, green.Get());
  D3DSURFACE_DESC desc{};
  copy->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(desc.Height, 512u);
  EXPECT_EQ(masked.mask.Get(), green.Get()) << "the brush keeps its own mask";

  TestBrush unmasked;
  EXPECT_TRUE(unmasked.Save(&stream));
  EXPECT_FALSE(manager_->GuidTexture(unmasked.identity.guid));
}

// Through the device: the brush's effect draws the layer's background over the whole picture.
TEST_F(EffectBrushTest, BackgroundIsWhatTheEffectDraws) {
  TestBrush description;
  description.effectLink = Effect(u"brush.fx");
  auto object = MakeObject(description);
  DrawingLayer layer(256, 256);
  layer.background.Set(TextureOf(u"green.png"));
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FFu, 1.0f, 0);
  device_->BeginScene();
  object->Render(layer);
  device_->EndScene();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_EQ(pixels.size(), 256u * 256u);
  for (int y : {0, 128, 255})
    for (int x : {0, 128, 255}) EXPECT_EQ(pixels[size_t(y) * 256 + x], 0x00FF00u) << x << "," << y;
}

}  // namespace
}  // namespace brush_test
