// A whole slide show on the virtual clock: a document of three plain layers showing pictures of one
// colour each is read, its slides make their objects, and the frames the device presents show each
// picture in turn with the fades through black where the durations put them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "platform/machine/clock.h"
#include "platform/win32/surface.h"
#include "slideshow/slide_show.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace {

constexpr uint32_t kRed = 0xFF2020, kGreen = 0x20FF20, kBlue = 0x4040FF;

class SlideShowFramesTest : public LayerDeviceTest {
 protected:
  void SetUp() override {
    LayerDeviceTest::SetUp();
    CreateDevice(64, 48);
    machine::clock::UseVirtual();
  }
  void TearDown() override {
    show_.reset();
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    machine::clock::UseReal();
    LayerDeviceTest::TearDown();
  }

  // The root record (after its header) and the resource manager, read as the scene loader does.
  void ReadDocument() {
    const uint32_t colours[3] = {kRed, kGreen, kBlue};
    const char16_t* paths[3] = {u"C:\\pictures\\red.bmp", u"C:\\pictures\\green.bmp", u"C:\\pictures\\blue.bmp"};
    docbuild::DocumentBuilder doc;
    doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(3);
    std::vector<docbuild::FileEntry> images;
    for (int i = 0; i < 3; ++i) {
      doc.Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(2).I32(0).String(paths[i]);
      doc.Header(u"DS_2D_Light", 2).Link(paths[i], 100 + i);
      doc.U32(0).U32(0);
      images.push_back({paths[i], 100 + i, {docbuild::Embedded(paths[i], doc_res_test::Bmp(8, 6, colours[i]))}});
    }
    doc.U32(0);
    doc.DocResManager(2, images, {}, {}, {});
    bytes_ = doc.Document();

    ResourceBuffer buffer(bytes_.data(), bytes_.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ds_string text;
    DWORD version = 0;
    stream->ReadString(&text);
    stream->ReadString(&text);
    stream->ReadULong(&version);
    show_ = std::make_unique<DS_SlideShow_Light>();
    ReadSlideList(&stream, *show_);
    ReadAudioFileList(&stream, *show_);
    stream->ReadString(&text);
    stream->ReadULong(&version);
    manager_ = std::make_unique<DS_DocResManager>();
    SetCurrentDocResManager(manager_.get());
    ASSERT_TRUE(manager_->ReadTables(&stream, version));
    ASSERT_FALSE(stream->Failed());
    ASSERT_EQ(show_->slides.size(), 3u);
  }

  // One frame of the host's loop: frame move with the scene time, render, present; the presented
  // pixel at the centre of the window.
  uint32_t Frame(float sceneTime) {
    show_->AdvanceFrame(sceneTime);
    EXPECT_EQ(device_->BeginScene(), S_OK);
    show_->Render();
    device_->EndScene();
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    const win32::Surface* surface = win32::WindowSurface(window_);
    if (!surface || surface->pixels.empty()) return 0xDEADBEEF;
    return surface->pixels[size_t(surface->height / 2) * surface->width + surface->width / 2] & 0xFFFFFF;
  }

  docbuild::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
  std::unique_ptr<DS_SlideShow_Light> show_;
};

// `rgb` with a black overlay of alpha byte a over it.
uint32_t Faded(uint32_t rgb, int alpha) {
  auto channel = [&](int shift) { return uint32_t(int(rgb >> shift & 0xFF) * (255 - alpha) / 255) << shift; };
  return channel(16) | channel(8) | channel(0);
}

bool Near(uint32_t a, uint32_t b) {
  return std::abs(Red(a) - Red(b)) <= 3 && std::abs(Green(a) - Green(b)) <= 3 && std::abs(Blue(a) - Blue(b)) <= 3;
}

}  // namespace

// Each slide: fade-in 1 s, show 2 s, fade-out 1 s. The first slide is visible at once (its fade-in
// counts as over), so it fades out 2 s after the first frame and is black 1 s later; each switch
// comes on the first frame past the end and starts the next slide from black.
TEST_F(SlideShowFramesTest, ShowsEachPictureInTurnWithFadesThroughBlack) {
  ReadDocument();
  for (const auto& slide : show_->slides) slide->CreateRenderObjects();
  show_->SetPicturePosition(kFit);

  struct Expected {
    double time;
    uint32_t rgb;
    int alpha;  // of the black overlay
  };
  const Expected expected[] = {
      {0.0, kRed, 0},      {2.0, kRed, 0},       {2.5, kRed, 127},     {3.0, kRed, 255},
      {3.25, kGreen, 255}, {3.75, kGreen, 127},  {4.25, kGreen, 0},    {6.25, kGreen, 0},
      {6.75, kGreen, 127}, {7.25, kGreen, 255},  {7.5, kBlue, 255},    {8.0, kBlue, 127},
      {8.5, kBlue, 0},     {10.5, kBlue, 0},     {11.0, kBlue, 127},   {11.5, kBlue, 255},
      {11.75, kRed, 255},  {12.25, kRed, 127},   {12.75, kRed, 0},
  };
  LARGE_INTEGER frequency{}, start{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  size_t next = 0;
  int mostTargetsAlive = 0;
  while (next < std::size(expected)) {
    QueryPerformanceCounter(&now);
    const double seconds = double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    const uint32_t shown = Frame(float(seconds));
    mostTargetsAlive = std::max(mostTargetsAlive, d3d9::LiveDefaultPoolResources(device_.Get()));
    if (seconds >= expected[next].time - 1e-6) {
      const Expected& e = expected[next];
      EXPECT_TRUE(Near(shown, Faded(e.rgb, e.alpha)))
          << "at " << seconds << " s: shown " << std::hex << shown << ", expected " << Faded(e.rgb, e.alpha);
      ++next;
    }
    Sleep(250);
  }
  // Only the slide on show keeps its pair of full-screen targets: each slide gives its pair up as it
  // goes out, and the next showing makes it again.
  EXPECT_EQ(mostTargetsAlive, 2);
}
