// Every drawn object of the embedded sample scene draws something: on the virtual clock each slide is
// played, and at moments through its show the same frame is drawn again with all its objects, without
// one of them, and with all again. An object counts as seen when leaving it out changes the frame by
// more than drawing the same frame twice does. Objects that only show now and then (a lightning flash,
// an explosion between its pauses, a fading text) get many moments to be seen.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/host/scene_probe.h"

namespace {

using SampleSceneObjectsTest = HostTest;

// Moments of a slide at which the objects are looked at: frames after the slide became current, from
// past its fade-in through its show.
constexpr int kFirstLook = 30, kLookEvery = 6, kLastLook = 330;
// Pixels that must differ beyond the frame's own noise for an object to count as drawing.
constexpr int kMinimumChange = 3;

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::vector<uint32_t> BackBuffer(const SceneProbe& s) {
  const D3DSURFACE_DESC desc = s.BackBufferDesc(0);
  std::vector<uint32_t> pixels;
  pixels.reserve(size_t{desc.Width} * desc.Height);
  IDirect3DSurface9* back = nullptr;
  if (FAILED(s.Device(0)->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return pixels;
  D3DLOCKED_RECT locked = {};
  if (SUCCEEDED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + size_t{y} * locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) pixels.push_back(row[x] & 0x00FFFFFFu);
    }
    back->UnlockRect();
  }
  back->Release();
  return pixels;
}

int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int count = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
  return count;
}

// The slide show's frame drawn again at the scene's present state, into the back buffer.
std::vector<uint32_t> DrawAgain(const SceneProbe& s, DS_SlideShow_Light& show) {
  if (FAILED(g_Device->BeginScene())) return {};
  show.Render();
  g_Device->EndScene();
  return BackBuffer(s);
}

// Whether leaving out object `k` of the current slide changes its frame.
bool ObjectChangesFrame(const SceneProbe& s, DS_SlideShow_Light& show, size_t k) {
  DS_SlideContainer& slide = *show.currentSlide.Get();
  const std::vector<uint32_t> with = DrawAgain(s, show);
  RenderObjects all = slide.objects;
  slide.objects.erase(slide.objects.begin() + static_cast<std::ptrdiff_t>(k));
  const std::vector<uint32_t> without = DrawAgain(s, show);
  slide.objects = all;
  const std::vector<uint32_t> again = DrawAgain(s, show);
  return Differing(with, without) > Differing(with, again) + kMinimumChange;
}

TEST_F(SampleSceneObjectsTest, EveryObjectOfEverySlideChangesTheFrameItIsDrawnIn) {
  SceneProbe saver;
  saver.maxTurns = 20000;
  size_t target = 0;  // the slide being looked at
  int since = -1;     // frames since it became current
  std::vector<bool> seen;
  std::map<std::string, std::vector<std::string>> unseen;  // slide name -> objects never seen
  size_t slideCount = 0, objectCount = 0;

  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (!show || !show->currentSlide.Get() || target >= show->slides.size()) return;
    slideCount = show->slides.size();
    if (show->currentSlide.Get() != show->slides[target].Get()) {
      // Ends the current slide on the next frame, so that the one looked at comes next.
      show->nextIndex = static_cast<DWORD>(target);
      show->startTime = -1.0e6f;
      since = -1;
      return;
    }
    DS_SlideContainer& slide = *show->currentSlide.Get();
    if (++since == 0) {
      seen.assign(slide.objects.size(), false);
      objectCount += slide.objects.size();
    }
    bool allSeen = true;
    if (since >= kFirstLook && (since - kFirstLook) % kLookEvery == 0) {
      for (size_t k = 0; k < seen.size(); ++k) {
        if (!seen[k]) seen[k] = ObjectChangesFrame(s, *show, k);
        allSeen = allSeen && seen[k];
      }
    } else {
      for (bool b : seen) allSeen = allSeen && b;
    }
    if (allSeen || since >= kLastLook) {
      for (size_t k = 0; k < seen.size(); ++k)
        if (!seen[k]) unseen[Narrow(slide.name.value)].push_back(
              slide.objects[k]->Controller() ? Narrow(slide.objects[k]->Controller()->name) : "object " + std::to_string(k));
      ++target;
    }
  };
  saver.stopWhen = [&](SceneProbe&) { return slideCount > 0 && target >= slideCount; };
  saver.Start(u"s /p " + PreviewParent(320, 200));

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_EQ(target, slideCount);
  EXPECT_GT(objectCount, 30u);
  for (const auto& [slideName, objects] : unseen)
    for (const auto& object : objects) ADD_FAILURE() << slideName << ": " << object << " draws nothing";
}

}  // namespace
