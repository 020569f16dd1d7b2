// The underwater brush: its defaults, the parameters it sets from the layer's size and its clock,
// its record, copies, and what its effect draws.
#include "objects/underwater_brush.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "brush_fixture.h"
#include "document/iof_reader.h"
#include "objects/brush_obj.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"
#include "underwater_fixture.h"

namespace underwater_test {
namespace {

using brush_test::CallCount;
using brush_test::DrawingLayer;
using brush_test::LastSet;
using brush_test::SetCalls;
using doc_res_test::References;

constexpr uint8_t kData4[8] = {9, 8, 7, 6, 5, 4, 3, 2};

struct RecordFields {
  uint32_t amplitude = 80;
  uint32_t frequency = 20;
  uint32_t speed = 30;
  int32_t mainFX = 0;
  uint32_t zoom = 100;
};

docbuild::DocumentBuilder& BrushRecord(docbuild::DocumentBuilder& doc, const RecordFields& f = {}) {
  doc.Header(u"DS_UnderwaterFX", 1).U32(f.amplitude).U32(f.frequency);
  doc.Header(u"DS_FX_Constructor", 2).U32(f.speed).I32(f.mainFX);
  doc.GuidText(0x0BADCAFE, 0x1111, 0x2222, kData4).String(u"sea mask").U8(1);
  doc.Link(u"vaultkit.dll", 88).U32(f.zoom);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"under water");
  return doc;
}

// Null when the stream failed.
std::unique_ptr<DS_UnderwaterFX> Read(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_UnderwaterFX> brush = ReadUnderwaterFXObject(&stream);
  if (stream->Failed()) return nullptr;
  return brush;
}

void ExpectValues(const std::vector<float>& actual, const std::vector<float>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_FLOAT_EQ(actual[i], expected[i]) << "value " << i;
}

// The distance of two texel indices on a wrapping 256-texel axis.
int WrappedDistance(int a, int b) {
  const int d = std::abs(a - b) % 256;
  return d > 128 ? 256 - d : d;
}

using UnderwaterBrushTest = UnderwaterSceneTest;

TEST_F(UnderwaterBrushTest, DefaultsNameTheLibraryEffectAndRunTheClockAt25) {
  DS_UnderwaterFX brush;
  EXPECT_EQ(brush.effectLink.path, u"vaultkit.dll");
  EXPECT_EQ(brush.effectLink.stamp, 88);
  EXPECT_EQ(brush.speed.value, 25u);
  EXPECT_FLOAT_EQ(brush.speed.derived, 25.0f);
  EXPECT_EQ(brush.amplitude.value, 50u);
  EXPECT_FLOAT_EQ(brush.amplitude.derived, 0.00625f);
  EXPECT_EQ(brush.frequency.value, 50u);
  EXPECT_FLOAT_EQ(brush.frequency.derived, 0.101f);
  EXPECT_EQ(brush.mainFX.value, 0);
  EXPECT_FLOAT_EQ(brush.zoom.derived, 1.0f);
  brush.Load(nullptr);
  EXPECT_TRUE(brush.effect) << "resource 88 of the library is the document's underwater effect";
}

// "frequency" = (f x aspect, f) with f = 1 / derived frequency, "amplitude" the derived amplitude,
// "time" = 0.08 x clock; then the base brush's step with the screen quad.
TEST_F(UnderwaterBrushTest, ApplySetsWaveParametersFromSizeAndClockThenDrawsTheScreenQuad) {
  struct Case {
    const char* label;
    UINT w, h;
    UINT amplitude, frequency;
    float updateAt;  // one clock update at this scene time (0: none)
    float fx, fy, a, time;
  };
  const float f = 1.0f / 0.101f;
  const Case cases[] = {
      {"square, defaults", 256, 256, 50, 50, 0.0f, f, f, 0.00625f, 0.0f},
      {"4:3", 640, 480, 50, 50, 0.0f, f * (4.0f / 3.0f), f, 0.00625f, 0.0f},
      {"portrait", 480, 640, 50, 50, 0.0f, f * 0.75f, f, 0.00625f, 0.0f},
      {"frequency 0 is derived 0.001", 256, 256, 50, 0, 0.0f, 1000.0f, 1000.0f, 0.00625f, 0.0f},
      {"amplitude 0 does not move", 256, 256, 0, 50, 0.0f, f, f, 0.0f, 0.0f},
      // 0.1 s at 25 units per second: clock 2.5, "time" 0.2.
      {"a tenth of a second", 256, 256, 50, 50, 0.1f, f, f, 0.00625f, 0.2f},
      // A step is at most 0.2 s: clock 5, "time" 0.4.
      {"a long gap", 256, 256, 50, 50, 3.0f, f, f, 0.00625f, 0.4f},
      {"no picture is square", 256, 0, 50, 50, 0.0f, f, f, 0.00625f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DS_UnderwaterFX brush;
    brush.amplitude.SetAndNotify(c.amplitude);
    brush.frequency.SetAndNotify(c.frequency);
    if (c.updateAt > 0.0f) brush.Update(c.updateAt);
    brush.Load(nullptr);
    ASSERT_TRUE(brush.effect);
    ComHolder<IDirect3DTexture9> background = Gradient();
    DrawingLayer layer(c.w, c.h);
    layer.background.Set(background.Get());
    const size_t before = CallCount(brush.effect.Get());
    brush.Apply(layer);
    const std::vector<brush_test::SetCall> calls = SetCalls(brush.effect.Get(), before);
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[0].what, "SetFloatArray frequency");
    ExpectValues(calls[0].values, {c.fx, c.fy});
    EXPECT_EQ(calls[1].what, "SetFloat amplitude");
    ExpectValues(calls[1].values, {c.a});
    EXPECT_EQ(calls[2].what, "SetFloat time");
    ExpectValues(calls[2].values, {c.time});
    EXPECT_EQ(calls[3].what, "SetTechnique Main");
    EXPECT_EQ(calls[4].what, "SetFloatArray Scale");
    EXPECT_EQ(calls[5].what, "SetTexture Mask");
    EXPECT_EQ(calls[5].texture, nullptr) << "a brush loaded with no holder has no mask";
    EXPECT_EQ(calls[6].what, "SetTexture Background");
    EXPECT_EQ(calls[6].texture, background.Get());
    EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
  }
}

TEST_F(UnderwaterBrushTest, TimeKeepsGrowingAtTwoPerSecond) {
  DS_UnderwaterFX brush;
  brush.Load(nullptr);
  DrawingLayer layer(256, 256);
  for (int frame = 1; frame <= 20; ++frame) brush.Update(0.05f * float(frame));
  brush.Apply(layer);
  ExpectValues(LastSet(brush.effect.Get(), "SetFloat time").values, {2.0f});
}

TEST_F(UnderwaterBrushTest, WithoutEffectNothingIsSetOrDrawn) {
  DS_UnderwaterFX brush;
  brush.effectLink = DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"absent.fx", 1));
  brush.Load(nullptr);
  EXPECT_FALSE(brush.effect);
  DrawingLayer layer(256, 256);
  brush.Apply(layer);
  EXPECT_TRUE(layer.events.empty());
}

TEST_F(UnderwaterBrushTest, RecordIsReadIntoBothPropertiesAndTheBase) {
  const RecordFields fields;
  docbuild::DocumentBuilder doc;
  auto brush = Read(BrushRecord(doc, fields).Document());
  ASSERT_TRUE(brush);
  EXPECT_EQ(brush->amplitude.value, 80u);
  EXPECT_FLOAT_EQ(brush->amplitude.derived, 0.01f) << "the derived value follows the stored one";
  EXPECT_EQ(brush->frequency.value, 20u);
  EXPECT_FLOAT_EQ(brush->frequency.derived, 0.041f);
  EXPECT_EQ(brush->speed.value, 30u);
  EXPECT_FLOAT_EQ(brush->speed.derived, 30.0f) << "the clock keeps the brush's own scale";
  EXPECT_FLOAT_EQ(brush->zoom.derived, 2.0f);
  EXPECT_EQ(brush->identity.guid.Data1, 0x0BADCAFEu);
  EXPECT_EQ(brush->identity.name, u"sea mask");
  EXPECT_EQ(brush->name, u"under water");
}

TEST_F(UnderwaterBrushTest, TruncatedRecordFailsTheStream) {
  docbuild::DocumentBuilder doc;
  const docbuild::Bytes whole = BrushRecord(doc).Document();
  for (size_t length : {size_t(0), size_t(20), size_t(28), whole.size() - 1}) {
    SCOPED_TRACE(length);
    EXPECT_FALSE(Read(docbuild::Truncated(whole, length)));
  }
}

TEST_F(UnderwaterBrushTest, SaveWritesTheRecordItReads) {
  docbuild::DocumentBuilder doc;
  const docbuild::Bytes expected = BrushRecord(doc).Document();
  auto brush = Read(expected);
  ASSERT_TRUE(brush);
  docbuild::BuilderStream writer;
  DS_IOF_Virtual* stream = &writer;
  EXPECT_TRUE(brush->Save(&stream));
  EXPECT_EQ(writer.doc.Document(), expected);
}

// operator= and Clone carry values, scales and offsets; the derived values follow; the effect is
// shared with one reference more per copy.
TEST_F(UnderwaterBrushTest, AssignmentAndCloneCopyBothPropertiesAndShareTheEffect) {
  DS_UnderwaterFX source;
  source.amplitude.SetAndNotify(400);
  source.frequency.SetAndNotify(10);
  source.speed.SetAndNotify(60);
  source.Update(0.1f);
  source.Load(nullptr);
  ASSERT_TRUE(source.effect);
  ID3DXEffect* effect = source.effect.Get();
  const ULONG refs = References(effect);

  DS_UnderwaterFX target;
  target = source;
  std::unique_ptr<DS_FX_Constructor> clone(source.Clone());
  auto* copy = dynamic_cast<DS_UnderwaterFX*>(clone.get());
  ASSERT_NE(copy, nullptr);
  for (DS_UnderwaterFX* brush : {&target, copy}) {
    EXPECT_EQ(brush->amplitude.value, 400u);
    EXPECT_FLOAT_EQ(brush->amplitude.derived, 0.05f);
    EXPECT_EQ(brush->frequency.value, 10u);
    EXPECT_FLOAT_EQ(brush->frequency.derived, 0.021f);
    EXPECT_FLOAT_EQ(brush->speed.derived, 60.0f);
    EXPECT_FLOAT_EQ(brush->speed.accumulated, 6.0f);
    EXPECT_EQ(brush->effect.Get(), effect);
  }
  EXPECT_EQ(References(effect), refs + 2);
  target = target;
  EXPECT_EQ(References(effect), refs + 2) << "assigning a brush to itself keeps its references";
  clone.reset();
  EXPECT_EQ(References(effect), refs + 1);
}

TEST_F(UnderwaterBrushTest, RenderObjectDrawsTheScreenQuadWithTheClonesClock) {
  DS_UnderwaterFX description;
  std::unique_ptr<DS_ABObj> object(description.CreateObject());
  EXPECT_FALSE(object->NeedsBackground());
  object->Update(0.1f);
  DrawingLayer layer(256, 256);
  object->Render(layer);
  EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
  auto* brush = static_cast<DS_UnderwaterFX*>(object->Controller());
  ExpectValues(LastSet(brush->effect.Get(), "SetFloat time").values, {0.2f});
  EXPECT_FLOAT_EQ(description.speed.accumulated, 0.0f) << "the description's clock stays";
}

// Through the device: every pixel shows the gradient texel the wave formula names; amplitude 0 or a
// black mask leave the picture where it is. A 2:1 layer makes the across frequency twice the down one.
TEST_F(UnderwaterBrushTest, EffectShiftsTheBackgroundLookupByTheWave) {
  struct Case {
    const char* label;
    UINT layerWidth, layerHeight;
    UINT amplitude;
    uint32_t maskColour;  // 0: no mask
    float expectedAmplitude;
  };
  const Case cases[] = {
      {"still", 256, 256, 0, 0, 0.0f},
      {"wobbling", 256, 256, 250, 0, 0.03125f},
      {"wobbling 2:1", 256, 128, 250, 0, 0.03125f},
      {"red mask keeps the wave", 256, 256, 250, 0xFFFF0000u, 0.03125f},
      {"black mask stills it", 256, 256, 250, 0xFF000000u, 0.0f},
  };
  const float f = 1.0f / 0.101f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DS_UnderwaterFX brush;
    brush.amplitude.SetAndNotify(c.amplitude);
    brush.Update(0.2f);  // clock 5: "time" 0.4
    ComHolder<IDirect3DTexture9> mask;
    if (c.maskColour) mask = Paint(4, 4, [&](int, int) { return c.maskColour; });
    brush.Load(&mask);
    ComHolder<IDirect3DTexture9> background = Gradient();
    DrawingLayer layer(c.layerWidth, c.layerHeight);
    layer.background.Set(background.Get());
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    device_->BeginScene();
    brush.Apply(layer);
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 256u * 256u);
    const float fx = f * float(c.layerWidth) / float(c.layerHeight);
    int moved = 0;
    for (int py = 4; py < 256; py += 21)
      for (int px = 3; px < 256; px += 23) {
        const Texel texel = WobbledTexel(px, py, fx, f, c.expectedAmplitude, 0.4f);
        const uint32_t seen = At(pixels, px, py);
        EXPECT_LE(WrappedDistance(Red(seen), texel.x), 1) << px << "," << py;
        EXPECT_LE(WrappedDistance(Green(seen), texel.y), 1) << px << "," << py;
        if (WrappedDistance(Red(seen), px) > 2 || WrappedDistance(Green(seen), py) > 2) ++moved;
      }
    EXPECT_EQ(moved > 0, c.expectedAmplitude > 0.0f) << "pixels shown away from their own texel: " << moved;
  }
}

}  // namespace
}  // namespace underwater_test
