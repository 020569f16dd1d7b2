// The underwater layer: its record of both versions, the embedded brush's clock and effect, and a
// frame drawn as a slide draws it (picture and objects into the layer's target, then the post
// render through the brush onto the back buffer).
#include "objects/underwater_light.h"

#include <gtest/gtest.h>

#include <memory>

#include "brush_fixture.h"
#include "document/iof_reader.h"
#include "document/device.h"
#include "slideshow/slide_container.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"
#include "underwater_fixture.h"

namespace underwater_test {
namespace {

using brush_test::LastSet;

constexpr uint8_t kData4[8] = {1, 3, 5, 7, 9, 11, 13, 15};

void BaseLayerRecord(docbuild::DocumentBuilder& doc) { doc.Header(u"DS_2D_Light", 2).Link(u"sea.png", 1); }

docbuild::Bytes Version1Record(uint32_t storedSpeed) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"FakeUndervater", 1).U32(storedSpeed);
  BaseLayerRecord(doc);
  return doc.Document();
}

docbuild::DocumentBuilder& BrushRecord(docbuild::DocumentBuilder& doc, uint32_t amplitude, uint32_t frequency,
                                       uint32_t speed) {
  doc.Header(u"DS_UnderwaterFX", 1).U32(amplitude).U32(frequency);
  doc.Header(u"DS_FX_Constructor", 2).U32(speed).I32(0);
  doc.GuidText(0x5EA5EA00, 0x0001, 0x0002, kData4).String(u"").U8(1);
  doc.Link(u"vaultkit.dll", 88).U32(50);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"");
  return doc;
}

docbuild::Bytes Version2Record(uint32_t amplitude, uint32_t frequency, uint32_t speed) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"FakeUndervater", 2);
  BrushRecord(doc, amplitude, frequency, speed);
  BaseLayerRecord(doc);
  return doc.Document();
}

// Through the light registry; null when the stream failed or the class is another.
std::unique_ptr<FakeUndervater> ReadLayer(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_2D_Light> light(ReadLightByClassName(&stream));
  if (stream->Failed()) return nullptr;
  return std::unique_ptr<FakeUndervater>(dynamic_cast<FakeUndervater*>(light.release()));
}

// Records the background each draw is handed.
class BackgroundUser : public DS_ABObj {
 public:
  void Render(DS_ABRender& layer) override { seen = layer.GetBackground().Get(); }
  void DrawSelection(DS_ABRender&, int) override {}
  void Update(float) override {}
  void SyncLayout() override {}
  bool NeedsBackground() override { return true; }
  IDirect3DTexture9* seen = nullptr;
};

class UnderwaterLayerTest : public UnderwaterSceneTest {
 protected:
  // As a slide starts its layer, with the gradient as its 256 x 256 picture.
  void Start(FakeUndervater& light) {
    light.CreateDeviceResources();
    picture_ = Gradient();
    light.picture.SetFromInfo(256, 256, picture_.Get());
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(1, 1);
    light.Resize(256, 256);
    light.RestoreDeviceResources();
  }
  // One frame as the slide draws it; the back buffer starts blue.
  std::vector<uint32_t> Frame(FakeUndervater& light, float time, const RenderObjects& objects = {}) {
    light.AdvanceFrame(time);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    device_->BeginScene();
    int users = light.HasPostEffect() ? 1 : 0;
    for (const auto& object : objects)
      if (object->NeedsBackground()) ++users;
    if (users > 0) light.BeginLayerTarget();
    light.Render(false);
    RenderLayerObjects(light, objects, users);
    light.PostRender();
    device_->EndScene();
    return ReadBackBuffer();
  }
  IDirect3DSurface9* BackBuffer() {
    backBuffer_.Release();
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer_.Out());
    return backBuffer_.Get();
  }
  IDirect3DSurface9* RenderTarget() {
    target_.Release();
    device_->GetRenderTarget(0, target_.Out());
    return target_.Get();
  }

  ComHolder<IDirect3DTexture9> picture_;
  ComHolder<IDirect3DSurface9> backBuffer_, target_;
};

// A version-1 record stores the clock value at twice its speed; the halving is an unsigned shift.
TEST_F(UnderwaterLayerTest, Version1RecordHalvesTheStoredSpeed) {
  struct Case {
    uint32_t stored, speed;
  };
  for (const Case& c : {Case{7, 3}, Case{50, 25}, Case{1, 0}, Case{0, 0}, Case{0xFFFFFFFFu, 0x7FFFFFFFu}}) {
    SCOPED_TRACE(c.stored);
    auto light = ReadLayer(Version1Record(c.stored));
    ASSERT_TRUE(light);
    EXPECT_EQ(light->brush.speed.value, c.speed);
    EXPECT_FLOAT_EQ(light->brush.speed.derived, float(c.speed)) << "the derived speed follows";
    EXPECT_EQ(light->brush.amplitude.value, 50u);
    EXPECT_FLOAT_EQ(light->brush.amplitude.derived, 0.00625f);
    EXPECT_EQ(light->brush.frequency.value, 50u);
    EXPECT_FLOAT_EQ(light->brush.frequency.derived, 0.101f);
    EXPECT_EQ(light->pictureLink.path, u"sea.png") << "the base layer record follows";
  }
}

TEST_F(UnderwaterLayerTest, Version2RecordCopiesTheBrushRecordIntoTheEmbeddedBrush) {
  auto light = ReadLayer(Version2Record(400, 0, 12));
  ASSERT_TRUE(light);
  EXPECT_EQ(light->brush.amplitude.value, 400u);
  EXPECT_FLOAT_EQ(light->brush.amplitude.derived, 0.05f);
  EXPECT_EQ(light->brush.frequency.value, 0u);
  EXPECT_FLOAT_EQ(light->brush.frequency.derived, 0.001f);
  EXPECT_EQ(light->brush.speed.value, 12u);
  EXPECT_FLOAT_EQ(light->brush.speed.derived, 12.0f);
  EXPECT_EQ(light->brush.identity.guid.Data1, 0x5EA5EA00u);
  EXPECT_EQ(light->brush.effectLink.stamp, 88);
  EXPECT_EQ(light->pictureLink.path, u"sea.png");
}

TEST_F(UnderwaterLayerTest, TruncatedRecordsFailTheStream) {
  for (const docbuild::Bytes& whole : {Version1Record(7), Version2Record(50, 50, 25)})
    for (size_t cut : {size_t(1), size_t(8), whole.size() / 2, whole.size() - 1}) {
      SCOPED_TRACE(testing::Message() << whole.size() << " cut to " << cut);
      EXPECT_FALSE(ReadLayer(docbuild::Truncated(whole, whole.size() - cut)));
    }
}

// Version 2 with the brush record, then the base layer's own record.
TEST_F(UnderwaterLayerTest, SaveWritesVersion2WithTheBrushRecord) {
  auto light = ReadLayer(Version2Record(400, 20, 12));
  ASSERT_TRUE(light);
  docbuild::BuilderStream written;
  DS_IOF_Virtual* stream = &written;
  EXPECT_TRUE(light->Save(&stream));

  docbuild::BuilderStream base;
  DS_IOF_Virtual* baseStream = &base;
  Write2DLightRecord(&baseStream, *light);
  docbuild::DocumentBuilder expected;
  expected.Header(u"FakeUndervater", 2);
  BrushRecord(expected, 400, 20, 12).Raw(base.doc.Document());
  EXPECT_EQ(written.doc.Document(), expected.Document());
  EXPECT_TRUE(ReadLayer(written.doc.Document())) << "what is saved reads back";
}

TEST_F(UnderwaterLayerTest, DeviceResourcesLoadTheBrushEffectWithoutMask) {
  FakeUndervater light;
  EXPECT_TRUE(light.HasPostEffect());
  ComHolder<IDirect3DTexture9> stale = Paint(2, 2, [](int, int) { return 0xFFFFFFFFu; });
  light.brush.mask.Set(stale.Get());
  light.CreateDeviceResources();
  EXPECT_TRUE(light.brush.effect);
  EXPECT_FALSE(light.brush.mask) << "the layer's brush is loaded with an empty mask holder";
  EXPECT_EQ(doc_res_test::References(stale.Get()), 1u);
}

TEST_F(UnderwaterLayerTest, FrameMoveAdvancesTheBrushClock) {
  FakeUndervater light;
  Start(light);
  light.AdvanceFrame(0.1f);
  EXPECT_FLOAT_EQ(light.brush.speed.accumulated, 2.5f);
  light.AdvanceFrame(0.14f);
  EXPECT_FLOAT_EQ(light.brush.speed.accumulated, 3.5f);
}

// The post render ends the layer target once: drawing is back on the back buffer, and the brush
// reads the pair's texture of everything drawn, also after an object took its own hand-over.
TEST_F(UnderwaterLayerTest, PostRenderDrawsThePairsTextureThroughTheBrush) {
  for (int objects : {0, 1}) {
    SCOPED_TRACE(objects);
    FakeUndervater light;
    Start(light);
    RenderObjects list;
    BackgroundUser* user = nullptr;
    if (objects) {
      user = new BackgroundUser;
      list.push_back(CountedPtr<DS_ABObj>(user));
    }
    Frame(light, 0.1f, list);
    EXPECT_EQ(RenderTarget(), BackBuffer());
    IDirect3DTexture9* drawn = light.layerTarget.Current();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(light.background.Get(), drawn);
    EXPECT_EQ(LastSet(light.brush.effect.Get(), "SetTexture Background").texture, drawn);
    EXPECT_EQ(LastSet(light.brush.effect.Get(), "SetTexture Mask").what, "SetTexture Mask");
    EXPECT_EQ(LastSet(light.brush.effect.Get(), "SetTexture Mask").texture, nullptr);
    if (user) {
      EXPECT_NE(user->seen, nullptr);
      EXPECT_NE(user->seen, drawn) << "the object got the texture swapped out before it";
    }
  }
}

// Picture into the target, through the effect onto the back buffer: amplitude 0 shows the picture as
// it is, a wave shows each pixel from where the formula says. The points keep clear of the edges,
// where the layer's mirrored addressing decides what a shifted lookup reads.
TEST_F(UnderwaterLayerTest, SlideShowsUnderWater) {
  const float f = 1.0f / 0.101f;
  for (UINT amplitude : {0u, 250u}) {
    SCOPED_TRACE(amplitude);
    FakeUndervater light;
    light.brush.amplitude.SetAndNotify(amplitude);
    Start(light);
    const std::vector<uint32_t> pixels = Frame(light, 0.2f);  // clock 5: "time" 0.4
    ASSERT_EQ(pixels.size(), 256u * 256u);
    const float a = amplitude * 0.000125f;
    for (int py = 12; py < 245; py += 29)
      for (int px = 13; px < 245; px += 23) {
        const Texel texel = WobbledTexel(px, py, f, f, a, 0.4f);
        const uint32_t seen = At(pixels, px, py);
        EXPECT_NEAR(Red(seen), texel.x, 1) << px << "," << py;
        EXPECT_NEAR(Green(seen), texel.y, 1) << px << "," << py;
      }
  }
}

// The layer always has its picture drawn, even when asked to clear only.
TEST_F(UnderwaterLayerTest, ClearOnlyRenderStillDrawsThePicture) {
  FakeUndervater light;
  light.brush.amplitude.SetAndNotify(0);
  Start(light);
  light.AdvanceFrame(0.0f);
  device_->BeginScene();
  light.BeginLayerTarget();
  light.Render(true);
  light.PostRender();
  device_->EndScene();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_EQ(pixels.size(), 256u * 256u);
  EXPECT_EQ(At(pixels, 100, 60), 0x643C00u);
}

// Without its effect the brush draws nothing; the layer then shows what it drew, unwobbled, rather
// than leave whatever the back buffer held.
TEST_F(UnderwaterLayerTest, MissingEffectShowsTheSlideStill) {
  FakeUndervater light;
  light.brush.effectLink = DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"absent.fx", 1));
  Start(light);
  ASSERT_FALSE(light.brush.effect);
  const std::vector<uint32_t> pixels = Frame(light, 0.2f);
  ASSERT_EQ(pixels.size(), 256u * 256u);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{128, 64}, std::pair{250, 200}})
    EXPECT_EQ(At(pixels, x, y), uint32_t(x) << 16 | uint32_t(y) << 8) << x << "," << y;
}

}  // namespace
}  // namespace underwater_test
