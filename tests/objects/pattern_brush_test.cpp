// The pattern brushes: their records, the pattern frames and their stepping, the tile parameters,
// and the tiled picture their effect draws.
#include "objects/pattern_brush.h"

#include <gtest/gtest.h>

#include <cmath>

#include "objects/brush_obj.h"
#include "platform/win32/module.h"
#include "screen_brush_fixture.h"
#include "tests/support/builder_stream.h"

namespace brush_test {
namespace {

using doc_res_test::References;

struct PatternFields {
  std::u16string path = u"tile.png";
  int32_t flipY = 0, flipX = 0;
  uint32_t angle = 0, scale = 100, offsetX = 0, offsetY = 0;
};

void PatternLevel(docbuild::DocumentBuilder& doc, const PatternFields& f) {
  doc.Header(u"DS_PatternBrush", 1).Link(f.path, 1).I32(f.flipY).I32(f.flipX);
  doc.U32(f.angle).U32(f.scale).U32(f.offsetX).U32(f.offsetY);
  BrushBaseLevel(doc, 78, 50);
}

docbuild::Bytes PatternRecord(const PatternFields& f = {}) {
  docbuild::DocumentBuilder doc;
  PatternLevel(doc, f);
  return doc.Document();
}

docbuild::Bytes PatternRecordC(const PatternFields& f = {}) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_PatternBrushC", 1);
  PatternLevel(doc, f);
  return doc.Document();
}

class PatternBrushTest : public ScreenBrushTest {
 protected:
  static std::vector<float> Values(DS_PatternBrush& brush, const std::string& what) {
    return LastSet(brush.effect.Get(), what).values;
  }
  static void ExpectValues(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << i;
  }
};

TEST_F(PatternBrushTest, DefaultsAndBothRecords) {
  DS_PatternBrush fresh;
  EXPECT_EQ(fresh.effectLink.stamp, 78);
  EXPECT_FLOAT_EQ(fresh.speed.derived, 1.0f);
  EXPECT_FLOAT_EQ(fresh.patternScale.derived, 1.0f);
  EXPECT_FLOAT_EQ(fresh.offsetX.derived, 0.0f);
  EXPECT_TRUE(fresh.patternLink.path.empty());

  const PatternFields f{u"tile.png", 1, 0, 30, 200, 50, 25};
  auto plain = ReadRegistered<DS_PatternBrush>(PatternRecord(f));
  auto wrapped = ReadRegistered<DS_PatternBrushC>(PatternRecordC(f));
  ASSERT_TRUE(plain);
  ASSERT_TRUE(wrapped);
  for (DS_PatternBrush* b : {plain.get(), static_cast<DS_PatternBrush*>(wrapped.get())}) {
    EXPECT_EQ(b->patternLink.path, u"tile.png");
    EXPECT_EQ(b->flipY.value, 1);
    EXPECT_EQ(b->flipX.value, 0);
    EXPECT_EQ(b->angle.value, 30u);
    EXPECT_FLOAT_EQ(b->patternScale.derived, 2.0f);
    EXPECT_FLOAT_EQ(b->offsetX.derived, -0.5f);
    EXPECT_FLOAT_EQ(b->offsetY.derived, 0.25f);
    EXPECT_EQ(b->name, u"screen");
  }
  docbuild::BuilderStream out, outC;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(plain->Save(&stream));
  EXPECT_EQ(out.doc.Document(), PatternRecord(f));
  stream = &outC;
  ASSERT_TRUE(wrapped->Save(&stream));
  EXPECT_EQ(outC.doc.Document(), PatternRecordC(f));
  // Saving registers the pattern as a used image of the document.
  EXPECT_TRUE(manager_->Tables().imageFiles.count(FileKey{u"tile.png", 1}));
}

TEST_F(PatternBrushTest, TruncatedRecordsFailTheStream) {
  for (const docbuild::Bytes& whole : {PatternRecord(), PatternRecordC()}) {
    for (size_t length : {size_t(25), size_t(50), whole.size() - 1}) {
      SCOPED_TRACE(length);
      EXPECT_FALSE(ReadRegistered<DS_PatternBrush>(docbuild::Truncated(whole, length)));
    }
  }
}

// A 64 x 32 pattern on a 640 x 480 picture: "scale" (2, 1), 10 tiles across and 15 down, turned
// by the angle, mirrored by the flips, fewer and larger with a larger scale value.
TEST_F(PatternBrushTest, TileParametersFollowThePatternAndThePicture) {
  struct Case {
    const char* label;
    PatternFields f;
    std::vector<float> transform;
    std::vector<float> offset = {0, 0};
  };
  const Case cases[] = {
      {"plain", {}, {10, 0, 0, 15}},
      {"angle 90", {u"tile.png", 0, 0, 90}, {0, 10, -15, 0}},
      {"angle 30", {u"tile.png", 0, 0, 30}, {10 * 0.8660254f, 5, -7.5f, 15 * 0.8660254f}},
      {"flip x", {u"tile.png", 0, 1}, {-10, 0, 0, 15}},
      {"flip y", {u"tile.png", 1, 0}, {10, 0, 0, -15}},
      {"scale 200", {u"tile.png", 0, 0, 0, 200}, {5, 0, 0, 7.5f}},
      {"offsets", {u"tile.png", 0, 0, 0, 100, 50, 50}, {10, 0, 0, 15}, {-0.5f, 0.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto brush = ReadRegistered<DS_PatternBrush>(PatternRecord(c.f));
    ASSERT_TRUE(brush);
    brush->Load(nullptr);
    ASSERT_TRUE(brush->effect);
    DrawingLayer layer(640, 480);
    brush->Apply(layer);
    ExpectValues(Values(*brush, "SetFloatArray scale"), {2.0f, 1.0f});
    ExpectValues(Values(*brush, "SetFloatArray coord_transf"), c.transform);
    ExpectValues(Values(*brush, "SetFloatArray offset"), c.offset);
    EXPECT_EQ(LastSet(brush->effect.Get(), "SetTexture Pattern").texture, TextureOf(u"tile.png"));
    EXPECT_EQ(layer.events, std::vector<std::string>{"DrawQuad"});
  }
}

// Three frames of 0.5 s at the default clock: the frame changes on the first update more than 0.5 s
// after the last change, at most one frame per update, and comes back to the first.
TEST_F(PatternBrushTest, FramesStepOnTheClock) {
  auto description = ReadRegistered<DS_PatternBrush>(PatternRecord({u"frames.png"}));
  ASSERT_TRUE(description);
  std::unique_ptr<DS_ABObj> object(description->CreateObject());
  auto* brush = static_cast<DS_PatternBrush*>(object->Controller());
  ASSERT_EQ(brush->frames.textures.size(), 3u);
  ASSERT_EQ(brush->frames.frameTimes, (std::vector<float>{0.5f, 0.5f, 0.5f}));
  const TextureSet* set = manager_->GetTextureSet(Image(u"frames.png"));
  DrawingLayer layer(256, 256);
  // Updates every 0.125 s: changes at 0.625, 1.25, 1.875 and 2.5 s.
  const DWORD expected[] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 0, 0, 0, 0, 0, 1};
  for (int k = 0; k < 20; ++k) {
    SCOPED_TRACE(k);
    object->Update(0.125f * float(k + 1));
    EXPECT_EQ(brush->frameIndex, expected[k]);
    object->Render(layer);
    EXPECT_EQ(LastSet(brush->effect.Get(), "SetTexture Pattern").texture, set->textures[expected[k]].Get());
  }
  // A jump of several seconds advances the clock by 0.2 s only: no change yet.
  object->Update(20.0f);
  EXPECT_EQ(brush->frameIndex, 1u);
  EXPECT_FLOAT_EQ(brush->lastSwitch, 2.5f);
  // A clock set back before the last change takes its new time as the last change.
  brush->speed.accumulated = 0.0f;
  object->Update(20.1f);
  EXPECT_EQ(brush->frameIndex, 1u);
  EXPECT_FLOAT_EQ(brush->lastSwitch, brush->speed.accumulated);
  EXPECT_NEAR(brush->lastSwitch, 0.1f, 1e-5f);
}

TEST_F(PatternBrushTest, SingleFramePatternNeverSteps) {
  DS_PatternBrush brush;
  brush.patternLink = Image(u"tile.png");
  brush.Load(nullptr);
  for (int k = 1; k <= 40; ++k) brush.Update(0.2f * float(k));
  EXPECT_EQ(brush.frameIndex, 0u);
}

// No picture behind the link: no tile size, and nothing is set on the effect or drawn at all.
TEST_F(PatternBrushTest, PatternThatResolvesToNothingDrawsNothing) {
  for (const char16_t* path : {u"absent.png", u"", u"nowhere.dll"}) {
    SCOPED_TRACE(testing::Message() << (path[0] ? "named" : "empty"));
    DS_PatternBrush brush;
    brush.patternLink = Image(path);
    brush.Load(nullptr);
    ASSERT_TRUE(brush.effect);
    const size_t before = CallCount(brush.effect.Get());
    DrawingLayer layer(256, 256);
    brush.Apply(layer);
    EXPECT_EQ(CallCount(brush.effect.Get()), before);
    EXPECT_TRUE(layer.events.empty());
  }
}

// A ".dll" link, whatever the case of its extension, names a picture package of the library.
TEST_F(PatternBrushTest, LibraryLinkLoadsAPicturePackage) {
  docbuild::DocumentBuilder package;
  package.U32(2).F32(0.25f).F32(0.75f).U32(2);
  package.Resource(docbuild::Embedded(u"a.png", doc_res_test::Png(6, 3, 0xFF0000)));
  package.Resource(docbuild::Embedded(u"b.png", doc_res_test::Png(6, 3, 0x00FF00)));
  const docbuild::Bytes bytes = package.Document();
  const win32::Resource resources[] = {{win32::ResourceName(u"DDS"), win32::ResourceName(WORD(5)), bytes}};
  HMODULE module = win32::RegisterModule(u"pack.dll", {}, resources);
  DS_PatternBrush brush;
  brush.patternLink = DS_ImageFileLink(DS_FileLink3::ConstructFromResource(5, u"Pack.DLL"));
  brush.Load(nullptr);
  win32::UnregisterModule(module);
  ASSERT_EQ(brush.frames.textures.size(), 2u);
  EXPECT_EQ(brush.frames.frameTimes, (std::vector<float>{0.25f, 0.75f}));
  EXPECT_EQ(brush.frames.width, 6u);
  EXPECT_EQ(brush.frames.height, 3u);
  DrawingLayer layer(600, 300);
  brush.Apply(layer);
  ExpectValues(Values(brush, "SetFloatArray scale"), {2.0f, 1.0f});
  ExpectValues(Values(brush, "SetFloatArray coord_transf"), {100, 0, 0, 100});
}

// A set with fewer pictures than frame times shows its pictures in turn, never one past its list.
TEST_F(PatternBrushTest, ShortTextureListIsShownInTurn) {
  DS_PatternBrush brush;
  brush.Load(nullptr);
  ComHolder<IDirect3DTexture9> a = MakePicture(2, 2, [](UINT, UINT) { return 0xFF0000u; });
  ComHolder<IDirect3DTexture9> b = MakePicture(2, 2, [](UINT, UINT) { return 0x00FF00u; });
  brush.frames.textures = {a, b};
  brush.frames.frameTimes = {0.1f, 0.1f, 0.1f};
  brush.frames.width = 2;
  brush.frames.height = 2;
  DrawingLayer layer(256, 256);
  const IDirect3DTexture9* shown[] = {a.Get(), b.Get(), a.Get(), a.Get()};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    brush.frameIndex = DWORD(k % 3);
    brush.Apply(layer);
    EXPECT_EQ(LastSet(brush.effect.Get(), "SetTexture Pattern").texture, shown[k]);
  }
}

TEST_F(PatternBrushTest, CloneHoldsItsOwnReferenceToEachFrame) {
  DS_PatternBrushC brush;
  brush.patternLink = Image(u"frames.png");
  brush.Load(nullptr);
  IDirect3DTexture9* frame = brush.frames.textures.at(1).Get();
  const ULONG before = References(frame);
  {
    std::unique_ptr<DS_FX_Constructor> clone(brush.Clone());
    EXPECT_NE(dynamic_cast<DS_PatternBrushC*>(clone.get()), nullptr);
    EXPECT_EQ(References(frame), before + 1);
  }
  EXPECT_EQ(References(frame), before);
}

class PatternPixelsTest : public PatternBrushTest {
 protected:
  // A pattern red on its left half and blue on its right, taken as 64 x 32 pixels.
  void UseHalves(DS_PatternBrush& brush) {
    brush.Load(nullptr);
    brush.frames.textures = {MakePicture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFF0000u : 0x0000FFu; })};
    brush.frames.frameTimes = {1.0f};
    brush.frames.width = 64;
    brush.frames.height = 32;
  }
};

// Through the device, on a 256 x 256 picture: tiles 64 wide (red then blue) and 32 high; mirrored
// by the x flip; turned by 90 degrees the tiles stand 64 high and 32 wide.
TEST_F(PatternPixelsTest, EffectTilesThePatternOverThePicture) {
  struct Probe {
    int x, y;
    uint32_t rgb;
  };
  struct Case {
    const char* label;
    int flipX;
    UINT angle;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"plain", 0, 0, {{10, 5, 0xFF0000u}, {40, 5, 0x0000FFu}, {70, 200, 0xFF0000u}, {250, 100, 0x0000FFu}}},
      {"flip x", 1, 0, {{10, 5, 0x0000FFu}, {40, 5, 0xFF0000u}, {70, 200, 0x0000FFu}}},
      {"angle 90", 0, 90, {{5, 10, 0x0000FFu}, {5, 40, 0xFF0000u}, {200, 70, 0x0000FFu}, {100, 100, 0xFF0000u}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DS_PatternBrush brush;
    brush.flipX = c.flipX;
    brush.angle = c.angle;
    UseHalves(brush);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(2, 2, [](UINT, UINT) { return 0x00FF00u; });
    const std::vector<uint32_t> pixels = Draw(brush, layer);
    for (const Probe& p : c.probes) EXPECT_EQ(At(pixels, p.x, p.y), p.rgb) << p.x << "," << p.y;
  }
}

// A pattern clear on its left half shows the picture unchanged there, blocks of clear pixels and
// blocks partly covered alike, and its right half over the picture.
TEST_F(PatternPixelsTest, AClearPartOfThePatternLeavesThePicture) {
  DS_PatternBrush brush;
  UseHalves(brush);
  D3DLOCKED_RECT locked{};
  ASSERT_TRUE(SUCCEEDED(brush.frames.textures[0]->LockRect(0, &locked, nullptr, 0)));
  static_cast<uint32_t*>(locked.pBits)[0] &= 0x00FFFFFFu;
  brush.frames.textures[0]->UnlockRect(0);
  DrawingLayer layer(256, 256);
  layer.background = MakePicture(2, 2, [](UINT, UINT) { return 0x00FF00u; });
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  for (int y : {5, 100, 200}) {
    for (int x = 0; x < 256; x += 2) {
      const int inTile = x % 64;
      if (inTile < 2 || (inTile >= 30 && inTile < 34) || inTile >= 62) continue;  // the halves' edges
      EXPECT_EQ(At(pixels, x, y), inTile < 32 ? 0x00FF00u : 0x0000FFu) << x << "," << y;
    }
  }
}

// A pattern scale of 0 asks for infinitely many tiles: the picture shows the pattern's first texel
// rather than reading undefined places.
TEST_F(PatternPixelsTest, ZeroPatternScaleShowsTheFirstTexel) {
  DS_PatternBrush brush;
  brush.patternScale.SetAndNotify(0);
  UseHalves(brush);
  DrawingLayer layer(256, 256);
  layer.background = MakePicture(2, 2, [](UINT, UINT) { return 0x00FF00u; });
  const std::vector<uint32_t> pixels = Draw(brush, layer);
  for (auto [x, y] : {std::pair{3, 3}, std::pair{40, 200}, std::pair{250, 128}}) EXPECT_EQ(At(pixels, x, y), 0xFF0000u);
}

// The two classes draw alike: the same parameters and the same pixels for the same fields.
TEST_F(PatternPixelsTest, BothClassesDrawTheSame) {
  const PatternFields f{u"tile.png", 0, 1, 45, 150, 20, 10};
  auto plain = ReadRegistered<DS_PatternBrush>(PatternRecord(f));
  auto wrapped = ReadRegistered<DS_PatternBrushC>(PatternRecordC(f));
  ASSERT_TRUE(plain && wrapped);
  std::vector<uint32_t> pixels[2];
  std::vector<SetCall> calls[2];
  DS_PatternBrush* brushes[2] = {plain.get(), wrapped.get()};
  for (int i = 0; i < 2; ++i) {
    UseHalves(*brushes[i]);
    DrawingLayer layer(256, 256);
    layer.background = MakePicture(2, 2, [](UINT, UINT) { return 0x00FF00u; });
    const size_t before = CallCount(brushes[i]->effect.Get());
    pixels[i] = Draw(*brushes[i], layer);
    calls[i] = SetCalls(brushes[i]->effect.Get(), before);
  }
  ASSERT_EQ(calls[0].size(), calls[1].size());
  for (size_t i = 0; i < calls[0].size(); ++i) {
    EXPECT_EQ(calls[0][i].what, calls[1][i].what);
    if (calls[0][i].what != "SetTexture Pattern") {
      EXPECT_EQ(calls[0][i].values, calls[1][i].values) << calls[0][i].what;
    }
  }
  EXPECT_EQ(pixels[0], pixels[1]);
}

}  // namespace
}  // namespace brush_test
