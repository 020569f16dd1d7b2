// The slide show root: its record, the slide timing with its fades through black, and what it asks of
// the slides when it starts, switches and restores.
#include <gtest/gtest.h>

#include <memory>

#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "slide_test_objects.h"
#include "slideshow/slide_show.h"
#include "tests/support/document_builder.h"

namespace {

struct Durations {
  UINT fadeIn, show, fadeOut;
};

CountedPtr<DS_SlideContainer> MakeSlide(const Durations& d, EventLog* log = nullptr, const char16_t* sound = nullptr) {
  auto* slide = new DS_SlideContainer;
  slide->fadeIn = d.fadeIn;
  slide->show = d.show;
  slide->fadeOut = d.fadeOut;
  if (sound) slide->sounds.push_back(MakeTestObject(sound, log));
  return CountedPtr<DS_SlideContainer>(slide);
}

int CurrentIndex(const DS_SlideShow_Light& show) {
  for (size_t i = 0; i < show.slides.size(); ++i)
    if (show.slides[i].Get() && show.slides[i].Get() == show.currentSlide.Get()) return int(i);
  return -1;
}

// The alpha byte of the overlay's corners; -1 when they differ or there is no overlay.
int OverlayAlpha(const DS_SlideShow_Light& show) {
  if (!show.fadeOverlay) return -1;
  DX_V::PWC* vertices = show.fadeOverlay->LockVertices();
  if (!vertices) return -1;
  int alpha = int(vertices[0].color >> 24);
  for (int i = 1; i < 4; ++i)
    if (int(vertices[i].color >> 24) != alpha || (vertices[i].color & 0xFFFFFF) != 0) alpha = -1;
  show.fadeOverlay->UnlockVertices();
  return alpha;
}

class SlideShowTest : public LayerDeviceTest {
 protected:
  void SetUp() override {
    LayerDeviceTest::SetUp();
    CreateDevice(64, 48);
  }
};

}  // namespace

// Over scene time: the first slide is fully visible on the first frame (its fade-in counts as over);
// a slide switches on the first frame strictly past fade-in + show + fade-out; the switching frame
// takes its opacity from the incoming slide (black when that one fades in, visible when it does
// not); the slides follow in order and start again with the first; one slide is never timed.
TEST_F(SlideShowTest, SlideTimingFadesThroughBlack) {
  struct Frame {
    float t;
    int current;
    int alpha;
  };
  struct Case {
    const char* what;
    std::vector<Durations> slides;
    std::vector<Frame> frames;
  };
  const Case cases[] = {
      {"two slides",
       {{1, 10, 1}, {2, 3, 0}},
       {{100.0f, 0, 0},
        {105.0f, 0, 0},
        {110.0f, 0, 0},       // elapsed 11: the end of the show time
        {110.5f, 0, 127},     // half way through the fade-out
        {111.0f, 0, 255},     // elapsed exactly 12: no switch yet, black
        {111.25f, 1, 255},    // past 12: slide 1, starting its fade-in from black
        {112.25f, 1, 127},
        {113.25f, 1, 0},
        {116.25f, 1, 0},      // elapsed exactly 5 with fade-out 0: still shown
        {116.5f, 0, 255},     // first frame after it: slide 0 again, fading in
        {117.0f, 0, 127},
        {128.75f, 1, 255},    // 0, 1, 0, 1
        {133.75f, 1, 0},
        {134.0f, 0, 255}}},
      {"three slides",
       {{0, 2, 1}, {1, 1, 1}, {3, 1, 2}},
       {{50.0f, 0, 0},
        {52.0f, 0, 0},
        {52.5f, 0, 127},
        {53.5f, 1, 255},     // the outgoing slide had no fade-in: still black, no visible flash
        {54.0f, 1, 127},
        {54.5f, 1, 0},
        {56.75f, 2, 255},
        {58.25f, 2, 127},
        {59.75f, 2, 0},
        {62.75f, 2, 255},    // elapsed exactly 6
        {63.0f, 0, 0},       // slide 0 has no fade-in: visible at once
        {65.0f, 0, 0},
        {66.25f, 1, 255}}},
      {"one slide", {{1, 1, 1}}, {{0.0f, 0, 0}, {2.5f, 0, 0}, {3.5f, 0, 0}, {1000.0f, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DS_SlideShow_Light show;
    for (const Durations& d : c.slides) show.slides.push_back(MakeSlide(d));
    for (const Frame& f : c.frames) {
      SCOPED_TRACE(testing::Message() << "t " << f.t);
      show.AdvanceFrame(f.t);
      EXPECT_EQ(CurrentIndex(show), f.current);
      EXPECT_EQ(OverlayAlpha(show), f.alpha);
    }
  }
}

// The outgoing slide's sounds stop before the incoming slide's start; the slide shown alone is never
// switched off.
TEST_F(SlideShowTest, SwitchingStopsAndStartsTheSlidesSounds) {
  EventLog log;
  {
    DS_SlideShow_Light show;
    show.slides.push_back(MakeSlide({0, 1, 0}, &log, u"a"));
    show.slides.push_back(MakeSlide({0, 1, 0}, &log, u"b"));
    for (float t : {10.0f, 10.5f, 11.25f, 12.5f}) show.AdvanceFrame(t);
    EXPECT_EQ(log, (EventLog{"on a", "update a 10", "update a 10.5", "off a", "on b", "update b 11.25", "off b",
                             "on a", "update a 12.5"}));
  }
  log.clear();
  DS_SlideShow_Light alone;
  alone.slides.push_back(MakeSlide({0, 1, 0}, &log, u"a"));
  for (float t : {0.0f, 5.0f, 50.0f}) alone.AdvanceFrame(t);
  EXPECT_EQ(log, (EventLog{"on a", "update a 0", "update a 5", "update a 50"}));
}

// Slides whose class could not be read stay in the list as empty holders and are never shown: the
// show starts with the first slide it can show and passes over the holders when it switches.
TEST_F(SlideShowTest, EmptyHoldersAreNeverShown) {
  struct Case {
    std::vector<bool> present;
    std::vector<int> order;  // the slide shown at each of the frames 0, 1.5, 3, 4.5, ...
  };
  const Case cases[] = {
      {{true, false, true}, {0, 2, 0, 2}},
      {{false, true, true}, {1, 2, 1, 2}},
      {{true, true, false}, {0, 1, 0, 1}},
      {{false, true}, {1, 1, 1, 1}},  // one slide to show: never timed
      {{false, false}, {-1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    DS_SlideShow_Light show;
    for (bool present : c.present)
      show.slides.push_back(present ? MakeSlide({0, 1, 0}) : CountedPtr<DS_SlideContainer>(nullptr));
    std::vector<int> order;
    for (size_t i = 0; i < c.order.size(); ++i) {
      show.AdvanceFrame(1.5f * float(i));
      order.push_back(CurrentIndex(show));
    }
    EXPECT_EQ(order, c.order);
  }
}

// Durations are summed without 32-bit wrap: a show time of 2^32 - 1 seconds does not wrap into a
// slide that ends at once.
TEST_F(SlideShowTest, HugeDurationsDoNotWrap) {
  DS_SlideShow_Light show;
  show.slides.push_back(MakeSlide({0, 1, 0}));
  show.slides.push_back(MakeSlide({1, 0xFFFFFFFFu, 0}));
  show.AdvanceFrame(0.0f);
  show.AdvanceFrame(1.5f);
  ASSERT_EQ(CurrentIndex(show), 1);
  for (float t : {2.0f, 3.0f, 100.0f, 1e6f}) {
    show.AdvanceFrame(t);
    EXPECT_EQ(CurrentIndex(show), 1) << t;
  }
  EXPECT_EQ(OverlayAlpha(show), 0);
}

// Without slides the show draws black frames and never times anything.
TEST_F(SlideShowTest, ShowWithoutSlidesDrawsBlack) {
  DS_SlideShow_Light show;
  for (float t : {0.0f, 20.0f}) {
    show.AdvanceFrame(t);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    ASSERT_EQ(device_->BeginScene(), S_OK);
    show.Render();
    device_->EndScene();
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(Pixel(pixels, 32, 24), 0u);
  }
  EXPECT_FALSE(show.currentSlide.Get());
  show.RestoreDeviceResources();
  show.ReleaseDeviceResources();
  show.SetPicturePosition(kFill);
}

namespace {

class CountingLayer : public DS_2D_Light {
 public:
  void RestoreDeviceResources() override {
    ++restores;
    DS_2D_Light::RestoreDeviceResources();
  }
  void SetPicturePosition(int newMode) override {
    positions.push_back(newMode);
    DS_2D_Light::SetPicturePosition(newMode);
  }
  int restores = 0;
  std::vector<int> positions;
};

}  // namespace

// The picture position goes to every slide; a restore reaches only the current slide's layer, and
// the activation gives it the back buffer's size.
TEST_F(SlideShowTest, PicturePositionAndRestoreReachTheRightLayers) {
  DS_SlideShow_Light show;
  CountingLayer* layers[2];
  for (CountingLayer*& layer : layers) {
    layer = new CountingLayer;
    auto slide = MakeSlide({1, 10, 1});
    slide->layer = CountedPtr<DS_2D_Light>(layer);
    slide->CreateRenderObjects();
    show.slides.push_back(slide);
  }
  show.slides.push_back(CountedPtr<DS_SlideContainer>(nullptr));
  show.SetPicturePosition(kStretch);
  show.RestoreDeviceResources();  // nothing is current yet
  EXPECT_EQ(layers[0]->restores, 0);
  for (CountingLayer* layer : layers) EXPECT_EQ(layer->positions, std::vector<int>{kStretch});

  show.AdvanceFrame(0.0f);
  EXPECT_EQ(layers[0]->restores, 1);
  EXPECT_EQ(layers[0]->targetWidth, 64);
  EXPECT_EQ(layers[0]->targetHeight, 48);
  EXPECT_EQ(layers[1]->targetWidth, 1);
  EXPECT_TRUE(layers[0]->IsCameraRunning());
  show.RestoreDeviceResources();
  EXPECT_EQ(layers[0]->restores, 2);
  EXPECT_EQ(layers[1]->restores, 0);
}

// The root record: slides through the slide registry, then the music entries (title and embedded
// file); empty holders keep their places.
TEST(SlideShowRecordTest, ReadsSlidesAndAudioFiles) {
  docbuild::DocumentBuilder doc;
  doc.U32(2);
  for (const char16_t* name : {u"first", u"second"}) {
    doc.Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(5).I32(0).String(name).Header(u"DS_2D_Light", 1);
    doc.U32(0).U32(0);
  }
  doc.U32(2);
  doc.Header(u"DS_AudioFile", 1).String(u"Evening").Blob({1, 2, 3, 4, 5}, u"C:\\music\\evening.mp3");
  doc.Header(u"DS_AudioFile", 1).String(u"").Blob({}, u"");
  doc.U32(0xC0FFEE);
  ResourceBuffer buffer(doc.Document().data(), doc.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  DS_SlideShow_Light show;
  ReadSlideList(&stream, show);
  ReadAudioFileList(&stream, show);
  DWORD next = 0;
  stream->ReadULong(&next);
  EXPECT_FALSE(stream->Failed());
  EXPECT_EQ(next, 0xC0FFEEu);
  ASSERT_EQ(show.slides.size(), 2u);
  EXPECT_EQ(show.slides[0]->name.value, u"first");
  EXPECT_EQ(show.slides[1]->show.value, 5u);
  ASSERT_EQ(show.audioFiles.size(), 2u);
  const DS_AudioFile& audio = *show.audioFiles[0];
  EXPECT_EQ(audio.title, u"Evening");
  EXPECT_EQ(audio.file.name, u"C:\\music\\evening.mp3");
  ASSERT_EQ(audio.file.Size(), 5u);
  EXPECT_EQ(audio.file.Bytes()[4], 5);
  EXPECT_EQ(show.audioFiles[1]->file.Size(), 0u);
  EXPECT_EQ(show.currentSlide.Get(), nullptr);
  EXPECT_EQ(show.nextIndex, 1u);
}

// A slide of an unknown class fails the stream and stays as an empty holder; a count the document
// cannot hold reads nothing.
TEST(SlideShowRecordTest, BadListsStopTheRead) {
  {
    docbuild::DocumentBuilder doc;
    doc.U32(2).Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(1).I32(0).String(u"a").Header(u"DS_2D_Light", 1);
    doc.U32(0).U32(0).Header(u"DS_Unknown", 1).U32(0);
    ResourceBuffer buffer(doc.Document().data(), doc.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    DS_SlideShow_Light show;
    ReadSlideList(&stream, show);
    EXPECT_TRUE(stream->Failed());
    ASSERT_EQ(show.slides.size(), 2u);
    EXPECT_TRUE(show.slides[0].Get());
    EXPECT_FALSE(show.slides[1].Get());
  }
  {
    docbuild::DocumentBuilder doc;
    doc.U32(0x7FFFFFFF).U32(0);
    ResourceBuffer buffer(doc.Document().data(), doc.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    DS_SlideShow_Light show;
    ReadAudioFileList(&stream, show);
    EXPECT_TRUE(stream->Failed());
    EXPECT_TRUE(show.audioFiles.empty());
  }
}
