// One slide: its record, the render objects it makes from its descriptions, what it tells them each
// frame and on activation, and how it hands the picture drawn so far to the objects that need it.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "slide_test_objects.h"
#include "slideshow/slide_container.h"
#include "tests/support/document_builder.h"

namespace {

struct ReadResult {
  std::unique_ptr<DS_SlideContainer> slide;
  bool failed = false;
  DWORD next = 0;  // the value stored after the record
};

ReadResult ReadSlide(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ReadResult result;
  result.slide.reset(ReadSlideByClassName(&stream));
  stream->ReadULong(&result.next);
  result.failed = stream->Failed();
  return result;
}

std::vector<std::u16string> Names(const Descriptions& list) {
  std::vector<std::u16string> names;
  for (const auto& description : list) names.push_back(description ? description->name : u"(null)");
  return names;
}

void Marks(docbuild::DocumentBuilder& doc, const std::vector<std::u16string>& names) {
  doc.U32(uint32_t(names.size()));
  for (const auto& name : names) doc.Header(u"TestMark", 1).Header(u"DS_ABObj_Constructor", 1).String(name);
}

}  // namespace

TEST(SlideContainerTest, DefaultsAreOneTenOneSeconds) {
  DS_SlideContainer slide;
  EXPECT_EQ(slide.fadeIn.value, 1u);
  EXPECT_EQ(slide.show.value, 10u);
  EXPECT_EQ(slide.fadeOut.value, 1u);
  EXPECT_FALSE(slide.layer.Get());
}

// Version 1 holds one description list, version 2 a second one for the sounds; in both the stream
// stands right after the record.
TEST(SlideContainerTest, ReadsOneOrTwoDescriptionLists) {
  struct Case {
    uint32_t version;
    std::vector<std::u16string> first, second;
  };
  const Case cases[] = {
      {1, {u"a", u"b"}, {}},
      {2, {u"a"}, {u"s1", u"s2"}},
      {2, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_SlideContainer", c.version).U32(2).U32(3).U32(7).I32(-4).String(u"Harbour");
    doc.Header(u"DS_2D_Light", 1);
    Marks(doc, c.first);
    if (c.version >= 2) Marks(doc, c.second);
    doc.U32(0xC0FFEE);
    const ReadResult read = ReadSlide(doc.Document());
    ASSERT_TRUE(read.slide);
    EXPECT_FALSE(read.failed);
    EXPECT_EQ(read.next, 0xC0FFEEu);
    const DS_SlideContainer& slide = *read.slide;
    EXPECT_EQ(slide.fadeIn.value, 2u);
    EXPECT_EQ(slide.fadeOut.value, 3u);
    EXPECT_EQ(slide.show.value, 7u);
    EXPECT_EQ(slide.intValue.value, -4);
    EXPECT_EQ(slide.name.value, u"Harbour");
    EXPECT_TRUE(slide.layer.Get());
    EXPECT_EQ(Names(slide.descriptions), c.first);
    EXPECT_EQ(Names(slide.soundDescriptions), c.second);
  }
}

// A description or layer of a class nobody registered fails the stream; what was read before it is
// kept and no empty entry joins a list.
TEST(SlideContainerTest, UnknownClassesLeaveNoEmptyEntries) {
  {
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(1).I32(0).String(u"x").Header(u"DS_2D_Light", 1);
    doc.U32(3).Header(u"TestMark", 1).Header(u"DS_ABObj_Constructor", 1).String(u"kept");
    doc.Header(u"NoSuchClass", 1).U32(5).U32(6);
    const ReadResult read = ReadSlide(doc.Document());
    ASSERT_TRUE(read.slide);
    EXPECT_TRUE(read.failed);
    EXPECT_EQ(Names(read.slide->descriptions), std::vector<std::u16string>{u"kept"});
    EXPECT_TRUE(read.slide->soundDescriptions.empty());
  }
  {
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(1).I32(0).String(u"x").Header(u"NoSuchLight", 1);
    doc.U32(0).U32(0);
    const ReadResult read = ReadSlide(doc.Document());
    ASSERT_TRUE(read.slide);
    EXPECT_TRUE(read.failed);
    EXPECT_FALSE(read.slide->layer.Get());
  }
}

// A count that the bytes left cannot hold reads nothing instead of looping.
TEST(SlideContainerTest, HugeDescriptionCountFailsAtOnce) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(1).I32(0).String(u"x").Header(u"DS_2D_Light", 1);
  doc.U32(0xFFFFFFFFu);
  const ReadResult read = ReadSlide(doc.Document());
  ASSERT_TRUE(read.slide);
  EXPECT_TRUE(read.failed);
  EXPECT_TRUE(read.slide->descriptions.empty());
}

class SlideObjectsTest : public LayerDeviceTest {
 protected:
  void SetUp() override {
    LayerDeviceTest::SetUp();
    CreateDevice(64, 48);
  }

  static void AddMark(Descriptions& list, const std::u16string& name, EventLog* log) {
    auto mark = std::make_unique<TestMark>();
    mark->name = name;
    mark->log = log;
    list.push_back(std::move(mark));
  }
};

// Scene start: every description makes one object around a clone (the first list the drawn objects,
// the second the sounds), then the descriptions are deleted and both lists emptied; the layer gets
// its provisional 1 x 1 target.
TEST_F(SlideObjectsTest, CreateRenderObjectsTurnsDescriptionsIntoObjects) {
  EventLog log;
  {
    DS_SlideContainer slide;
    slide.layer = CountedPtr<DS_2D_Light>(new DS_2D_Light);
    AddMark(slide.descriptions, u"a", &log);
    AddMark(slide.descriptions, u"b", &log);
    AddMark(slide.soundDescriptions, u"s", &log);
    EXPECT_EQ(TestMark::live, 3);
    slide.CreateRenderObjects();
    EXPECT_EQ(TestMark::live, 3);  // the three clones
    EXPECT_TRUE(slide.descriptions.empty());
    EXPECT_TRUE(slide.soundDescriptions.empty());
    ASSERT_EQ(slide.objects.size(), 2u);
    ASSERT_EQ(slide.sounds.size(), 1u);
    EXPECT_EQ(slide.objects[0]->Controller()->name, u"a");
    EXPECT_EQ(slide.objects[1]->Controller()->name, u"b");
    EXPECT_EQ(slide.sounds[0]->Controller()->name, u"s");
    EXPECT_EQ(slide.layer->targetWidth, 1);
    EXPECT_EQ(slide.layer->targetHeight, 1);
  }
  EXPECT_EQ(TestMark::live, 0);
}

// Each frame: the objects, then the sounds, in list order, with the absolute scene time.
// Activation restarts only the drawn objects' clones and switches only the sounds.
TEST_F(SlideObjectsTest, FrameMoveAndActivationReachTheRightObjects) {
  EventLog log;
  DS_SlideContainer slide;
  slide.layer = CountedPtr<DS_2D_Light>(new DS_2D_Light);
  AddMark(slide.descriptions, u"a", &log);
  AddMark(slide.descriptions, u"b", &log);
  AddMark(slide.soundDescriptions, u"s", &log);
  AddMark(slide.soundDescriptions, u"t", &log);
  slide.CreateRenderObjects();

  slide.AdvanceFrame(12.5f);
  EXPECT_EQ(log, (EventLog{"update a 12.5", "update b 12.5", "update s 12.5", "update t 12.5"}));
  log.clear();
  slide.RestoreDeviceResources();
  slide.SetActive(true);
  slide.SetActive(false);
  EXPECT_EQ(log, (EventLog{"restart a", "restart b", "on s", "on t", "off s", "off t"}));
}

// A slide whose layer could not be read keeps working and draws black.
TEST_F(SlideObjectsTest, SlideWithoutLayerDrawsBlack) {
  EventLog log;
  DS_SlideContainer slide;
  AddMark(slide.descriptions, u"a", &log);
  slide.CreateRenderObjects();
  slide.Resize(64, 48);
  slide.SetPicturePosition(kFill);
  slide.RestoreDeviceResources();
  slide.AdvanceFrame(1.0f);
  EXPECT_FALSE(slide.GetLayer().Get());
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  slide.Render();
  slide.PostRender();
  device_->EndScene();
  slide.ReleaseDeviceResources();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(Pixel(pixels, 0, 0), 0u);
  EXPECT_EQ(Pixel(pixels, 40, 30), 0u);
}

namespace {

// A plain layer that logs when it enters and leaves its own target.
class LoggingLayer : public DS_2D_Light {
 public:
  void BeginLayerTarget() override {
    log->push_back("begin");
    DS_2D_Light::BeginLayerTarget();
  }
  RenderTargetPair& EndLayerTarget(bool clear) override {
    log->push_back("end");
    return DS_2D_Light::EndLayerTarget(clear);
  }
  bool HasPostEffect() const override { return postEffect; }

  EventLog* log = nullptr;
  bool postEffect = false;
};

// Names of what an object finds when it draws: the surface it draws into and its background.
struct Surfaces {
  IDirect3DSurface9* backBuffer = nullptr;
  std::map<IDirect3DSurface9*, std::string> targets;
  std::map<IDirect3DTexture9*, std::string> textures;
  EventLog* log = nullptr;
};
Surfaces g_Surfaces;

std::string TargetName() {
  ComHolder<IDirect3DSurface9> target;
  g_Device->GetRenderTarget(0, target.Out());
  if (target.Get() == g_Surfaces.backBuffer) return "back";
  auto found = g_Surfaces.targets.find(target.Get());
  return found == g_Surfaces.targets.end() ? "?" : found->second;
}

void LogWhatIsSeen(TestObject& self, DS_ABRender& layer) {
  auto found = g_Surfaces.textures.find(layer.GetBackground().Get());
  const std::string background = found == g_Surfaces.textures.end() ? "?" : found->second;
  g_Surfaces.log->back() += " into " + TargetName() + " over " + background;
  (void)self;
}

}  // namespace

// The objects are drawn from the last to the first. Each that needs the background gets a texture of
// everything drawn before it: the pair swaps while other users remain after it, the last one ends the
// layer target and draws onto the back buffer. A post effect counts as one more user, so then all of
// them draw into the pair. Objects that do not need it find the plain picture. "first" is the pair's
// texture current when the frame begins, "second" the other.
TEST_F(SlideObjectsTest, BackgroundGoesToTheObjectsThatNeedIt) {
  struct Case {
    std::string objects;  // one letter per object in list order: B needs the background, N does not
    bool postEffect;
    EventLog expected;
  };
  const Case cases[] = {
      {"N", false, {"render 0 into back over picture"}},
      {"", true, {"begin"}},
      {"NN", true, {"begin", "render 1 into first over picture", "render 0 into first over picture"}},
      {"NBN",
       false,
       {"begin", "render 2 into first over picture", "end", "render 1 into back over first",
        "render 0 into back over picture"}},
      {"NBN",
       true,
       {"begin", "render 2 into first over picture", "render 1 into second over first",
        "render 0 into second over picture"}},
      {"BNB",
       false,
       {"begin", "render 2 into second over first", "render 1 into second over picture", "end",
        "render 0 into back over second"}},
      {"BNB",
       true,
       {"begin", "render 2 into second over first", "render 1 into second over picture",
        "render 0 into first over second"}},
  };
  ComHolder<IDirect3DTexture9> picture = MakeTexture(4, 3, [](int, int) { return 0xFF336699u; });
  ComHolder<IDirect3DSurface9> backBuffer;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Out()), S_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.objects << (c.postEffect ? " with post effect" : ""));
    EventLog log;
    DS_SlideContainer slide;
    auto* layer = new LoggingLayer;
    slide.layer = CountedPtr<DS_2D_Light>(layer);
    layer->log = &log;
    layer->postEffect = c.postEffect;
    layer->CreateScreenQuad();
    layer->picture.SetFromInfo(64, 48, picture.Get());
    layer->screenQuad.SetTextureEntry(layer->picture);
    slide.Resize(64, 48);
    slide.RestoreDeviceResources();
    for (size_t i = 0; i < c.objects.size(); ++i) {
      slide.objects.push_back(MakeTestObject(std::u16string(1, char16_t(u'0' + i)), &log, c.objects[i] == 'B'));
      static_cast<TestObject&>(*slide.objects.back()).onRender = &LogWhatIsSeen;
    }
    RenderTargetPair& pair = layer->layerTarget;
    IDirect3DTexture9* first = pair.Current();
    IDirect3DTexture9* second = pair.Texture(0) == first ? pair.Texture(1) : pair.Texture(0);
    ASSERT_TRUE(first && second);
    ComHolder<IDirect3DSurface9> firstSurface, secondSurface;
    first->GetSurfaceLevel(0, firstSurface.Out());
    second->GetSurfaceLevel(0, secondSurface.Out());
    g_Surfaces = Surfaces{backBuffer.Get(),
                          {{firstSurface.Get(), "first"}, {secondSurface.Get(), "second"}},
                          {{picture.Get(), "picture"}, {first, "first"}, {second, "second"}},
                          &log};

    ASSERT_EQ(device_->BeginScene(), S_OK);
    slide.Render();
    device_->EndScene();
    EXPECT_EQ(log, c.expected);
    // After the objects the background is the plain picture again.
    EXPECT_EQ(layer->GetBackground().Get(), picture.Get());
    // A layer left in its target (post effect) is ended by the post render; here by hand.
    if (TargetName() != "back") layer->EndLayerTarget(false);
    EXPECT_EQ(TargetName(), "back");
  }
  g_Surfaces = Surfaces{};
}
