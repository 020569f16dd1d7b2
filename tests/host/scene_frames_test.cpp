// The application on the virtual clock with the embedded sample scene: the "Loading..." picture on a
// device's first frame, the document loaded on its second, the slide show from the third on.
#include <gtest/gtest.h>

#include <set>

#include "platform/d3d9/recorder.h"
#include "document/device.h"
#include "tests/host/scene_probe.h"

namespace {

using SceneFramesTest = HostTest;

constexpr int kCornerX = 4;
constexpr int kCornerY = 4;

// The slide of the scene being shown; -1 before the show has one.
int CurrentSlideIndex(MonitorScene& scene) {
  if (!scene.sceneRoot || !scene.sceneRoot->currentSlide.Get()) return -1;
  const auto& slides = scene.sceneRoot->slides;
  for (size_t i = 0; i < slides.size(); ++i)
    if (slides[i].Get() == scene.sceneRoot->currentSlide.Get()) return static_cast<int>(i);
  return -1;
}

TEST_F(SceneFramesTest, TheSplashComesFirstTheDocumentLoadsOnTheSecondFrameAndThePictureMovesAfter) {
  SceneProbe saver;
  struct Seen {
    bool splashShown = false;
    bool loaded = false;
    uint32_t corner = 0;
    uint32_t insideSplash = 0;
  };
  std::vector<Seen> seen;
  uint32_t cameraSample[2] = {};
  saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
    MonitorScene& scene = s.Scene(0);
    const D3DSURFACE_DESC desc = s.BackBufferDesc(0);
    // Near the bottom of the centred square, where the splash picture is lighter than black.
    const int insideX = static_cast<int>(desc.Width / 2), insideY = static_cast<int>(desc.Height * 4 / 5);
    seen.push_back({scene.splashShown, scene.sceneRoot != nullptr, s.BackBufferPixel(0, kCornerX, kCornerY),
                    s.BackBufferPixel(0, insideX, insideY)});
    if (frame == 4) cameraSample[0] = s.BackBufferPixel(0, insideX, desc.Height / 3);
    if (frame == 150) cameraSample[1] = s.BackBufferPixel(0, insideX, desc.Height / 3);
  };
  saver.maxTurns = 600;
  saver.stopWhen = [](SceneProbe& s) { return s.frames[0] >= 150; };
  saver.Start(u"s /t");

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  ASSERT_GE(seen.size(), 150u);
  // Frame 1: the picture on black, nothing loaded yet.
  EXPECT_TRUE(seen[0].splashShown);
  EXPECT_FALSE(seen[0].loaded);
  EXPECT_EQ(seen[0].corner, 0u);
  EXPECT_GT(Brightness(seen[0].insideSplash), 30);
  // Frame 2 loads; frame 3 shows the first slide filling the screen.
  EXPECT_TRUE(seen[1].loaded);
  EXPECT_GT(Brightness(seen[2].corner), 30);
  ASSERT_NE(saver.Scene(0).sceneRoot, nullptr);
  EXPECT_EQ(saver.Scene(0).sceneRoot->slides.size(), 18u);
  EXPECT_EQ(g_DocResManager, saver.Scene(0).resourceManager.get());
  // The first slide's camera pans and zooms (after the pause it may start with, and before the slide
  // fades at 7 s): the same screen pixel shows another part of the picture.
  EXPECT_NE(cameraSample[0], cameraSample[1]);
}

TEST_F(SceneFramesTest, ASlideFadesThroughBlackIntoTheNextOne) {
  SceneProbe saver;
  saver.maxTurns = 2000;
  int darkest = 765, brightestBefore = 0, brightestAfter = 0;
  int switchFrame = -1;
  saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
    if (frame < 3) return;
    const D3DSURFACE_DESC desc = s.BackBufferDesc(0);
    const int light = Brightness(s.BackBufferPixel(0, desc.Width / 2, desc.Height / 2));
    const int slide = CurrentSlideIndex(s.Scene(0));
    if (slide == 0) brightestBefore = std::max(brightestBefore, light);
    if (slide == 1 && switchFrame < 0) switchFrame = frame;
    if (slide == 1) brightestAfter = std::max(brightestAfter, light);
    darkest = std::min(darkest, light);
  };
  // The first slide shows for 7 s and fades out for 2; the second fades in for 2.
  saver.stopWhen = [&](SceneProbe& s) { return switchFrame > 0 && s.frames[0] > switchFrame + 90; };
  // A small preview keeps the few hundred software-drawn frames quick.
  saver.Start(u"s /p " + PreviewParent(160, 100));

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_GT(switchFrame, 250);
  EXPECT_GT(brightestBefore, 100);
  EXPECT_GT(brightestAfter, 100);
  EXPECT_LT(darkest, 15);
}

TEST_F(SceneFramesTest, TwoMonitorsLoadTheDocumentTwiceEachWithItsOwnDevice) {
  machine::Install(MachineWithMonitors(2, 640, 480));
  SceneProbe saver;
  IDirect3DDevice9* deviceAtLoad[2] = {};
  IDirect3DDevice9* pictureDevice[2] = {};
  IDirect3DDevice9* ownDevice[2] = {};
  UINT deviceCount = 0;
  DS_DocResManager* managerWhenSecondSelected = nullptr;
  uint32_t corner[2] = {0xDEADBEEF, 0xDEADBEEF};
  int wrongManagerSelections = 0;
  saver.afterSelect = [&](SceneProbe& s, UINT device) {
    if (device == 1 && s.frames[1] == 1) managerWhenSecondSelected = g_DocResManager;
    // Once a scene has started, selecting its device makes its manager and that manager's store
    // the current ones, so that lookups land on the device's own objects.
    if (DS_DocResManager* own = s.Scene(device).resourceManager.get())
      if (g_DocResManager != own || g_ResourceStore != own->StoreCell()) ++wrongManagerSelections;
  };
  saver.afterRender = [&](SceneProbe& s, UINT device, int frame) {
    MonitorScene& scene = s.Scene(device);
    if (frame == 2) {
      deviceCount = s.m_deviceCount;
      ownDevice[device] = s.Device(device);
      deviceAtLoad[device] = g_Device;
      if (scene.sceneRoot && !scene.sceneRoot->slides.empty()) {
        IDirect3DTexture9* picture = scene.sceneRoot->slides[0]->layer->picture.texture.Get();
        IDirect3DDevice9* owner = nullptr;
        if (picture && SUCCEEDED(picture->GetDevice(&owner))) {
          pictureDevice[device] = owner;
          owner->Release();
        }
      }
    }
    if (frame == 4) corner[device] = s.BackBufferPixel(device, kCornerX, kCornerY);
  };
  saver.stopWhen = [](SceneProbe& s) { return s.frames[1] >= 4; };
  saver.Start(u"s /s");

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  ASSERT_EQ(deviceCount, 2u);
  EXPECT_NE(ownDevice[0], ownDevice[1]);
  for (UINT i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(deviceAtLoad[i], ownDevice[i]);
    EXPECT_EQ(pictureDevice[i], ownDevice[i]);
    EXPECT_GT(Brightness(corner[i]), 30);
    ASSERT_NE(saver.Scene(i).sceneRoot, nullptr);
  }
  EXPECT_NE(saver.Scene(0).sceneRoot.get(), saver.Scene(1).sceneRoot.get());
  EXPECT_NE(saver.Scene(0).resourceManager.get(), saver.Scene(1).resourceManager.get());
  // Selecting the second monitor before its scene starts leaves the first one's manager current.
  EXPECT_EQ(managerWhenSecondSelected, saver.Scene(0).resourceManager.get());
  EXPECT_EQ(wrongManagerSelections, 0);
}

TEST_F(SceneFramesTest, ADeviceResetDuringASlideRecoversAndTheSlideGoesOn) {
  struct Case {
    const char* what;
    int lostFrom;      // presented frames; the first slide is well under way by then
    int notResetFrom;
  };
  const Case cases[] = {
      {"waiting for a reset", -1, 40},
      {"lost for a while, then waiting for a reset", 35, 45},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine::Machine m = machine::DefaultMachine();
    m.faults.deviceLostFromFrame = c.lostFrom;
    m.faults.deviceNotResetFromFrame = c.notResetFrom;
    machine::Install(m);
    SceneProbe saver;
    int slideBefore = -2, slideAfter = -2;
    int releasesBefore = 0;
    bool checkedAfterReset = false;
    uint32_t cornerAfter = 0xDEADBEEF;
    bool layerTargetAfter = false;
    saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
      if (frame == 30) {
        slideBefore = CurrentSlideIndex(s.Scene(0));
        releasesBefore = s.releases;
      }
      if (frame > 30 && s.releases > releasesBefore && !checkedAfterReset) {
        slideAfter = CurrentSlideIndex(s.Scene(0));
        cornerAfter = s.BackBufferPixel(0, kCornerX, kCornerY);
        DS_SlideContainer* slide = s.Scene(0).sceneRoot->currentSlide.Get();
        layerTargetAfter = slide && slide->layer->layerTarget.Current() != nullptr;
        checkedAfterReset = true;
      }
    };
    saver.stopWhen = [](SceneProbe& s) { return s.frames[0] >= 60; };
    saver.Start(u"s /t");

    ASSERT_FALSE(saver.stoppedBySafety);
    EXPECT_FALSE(saver.m_errorMode) << std::hex << saver.m_errorCode;
    EXPECT_EQ(saver.releases, releasesBefore + 1 + 1);  // the reset, then the end of the run
    EXPECT_TRUE(checkedAfterReset);
    EXPECT_EQ(slideBefore, 0);
    EXPECT_EQ(slideAfter, 0);
    EXPECT_GT(Brightness(cornerAfter), 30);
    EXPECT_TRUE(layerTargetAfter);
  }
}

// While BeginScene fails nothing is ended that was not begun, the splash picture is made once,
// and the document waits for a drawn splash; a running scene still moves on frames it cannot draw.
TEST_F(SceneFramesTest, FailingBeginSceneRetriesTheSplashAndNeverEndsAnUnbegunScene) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.beginSceneFails = true;
  machine::Install(m);
  SceneProbe saver;
  std::set<IDirect3DTexture9*> splashTextures;
  bool loadedWhileFailing = false;
  int unbegunEnds = 0;
  bool currentSlideWhileFailing = false;
  saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
    MonitorScene& scene = s.Scene(0);
    d3d9::Recorder* recorder = d3d9::RecorderOf(s.Device(0));
    // The recorder runs only on frames whose BeginScene fails.
    for (const auto& call : recorder->calls)
      if (call.name == "EndScene") ++unbegunEnds;
    recorder->calls.clear();
    if (frame <= 5) {
      splashTextures.insert(scene.splashQuad.texture.Get());
      loadedWhileFailing = loadedWhileFailing || scene.sceneRoot != nullptr;
    }
    if (frame == 1) recorder->enabled = true;
    if (frame == 5) {
      recorder->enabled = false;
      machine::Current().faults.beginSceneFails = false;  // frame 6 shows the splash, frame 7 loads
    }
    if (frame == 7) {
      machine::Current().faults.beginSceneFails = true;
      recorder->enabled = true;
    }
    if (frame == 8) currentSlideWhileFailing = CurrentSlideIndex(scene) == 0;
  };
  saver.stopWhen = [](SceneProbe& s) { return s.frames[0] >= 10; };
  saver.Start(u"s /t");

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(loadedWhileFailing);
  EXPECT_EQ(splashTextures.size(), 1u);
  EXPECT_NE(*splashTextures.begin(), nullptr);
  EXPECT_EQ(unbegunEnds, 0);
  EXPECT_TRUE(saver.Scene(0).splashShown);
  ASSERT_NE(saver.Scene(0).sceneRoot, nullptr);
  EXPECT_TRUE(currentSlideWhileFailing);
}

}  // namespace
