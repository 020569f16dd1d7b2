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

#include "tests/host/slide_by_slide.h"

namespace {

using SampleSceneObjectsTest = HostTest;

// Moments of a slide at which the objects are looked at: frames after the slide became current, from
// past its fade-in through its show.
constexpr int kFirstLook = 30, kLookEvery = 6, kLastLook = 330;
// Pixels that must differ beyond the frame's own noise for an object to count as drawing.
constexpr int kMinimumChange = 3;

int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int count = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
  return count;
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
  std::vector<bool> seen;
  std::map<std::string, std::vector<std::string>> unseen;  // slide name -> objects never seen
  size_t objectCount = 0;

  const SlideLook look = [&](SceneProbe& s, DS_SlideShow_Light& show, DS_SlideContainer& slide, int since) {
    if (since == 0) {
      seen.assign(slide.objects.size(), false);
      objectCount += slide.objects.size();
    }
    bool allSeen = true;
    if (since >= kFirstLook && (since - kFirstLook) % kLookEvery == 0) {
      for (size_t k = 0; k < seen.size(); ++k) {
        if (!seen[k]) seen[k] = ObjectChangesFrame(s, show, k);
        allSeen = allSeen && seen[k];
      }
    } else {
      for (bool b : seen) allSeen = allSeen && b;
    }
    if (!allSeen && since < kLastLook) return false;
    for (size_t k = 0; k < seen.size(); ++k)
      if (!seen[k]) unseen[Narrow(slide.name.value)].push_back(
            slide.objects[k]->Controller() ? Narrow(slide.objects[k]->Controller()->name) : "object " + std::to_string(k));
    return true;
  };
  const SlidesLookedAt slides = LookAtEverySlide(saver, u"s /p " + PreviewParent(320, 200), look);

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_EQ(slides.looked, slides.count);
  EXPECT_GT(objectCount, 30u);
  for (const auto& [slideName, objects] : unseen)
    for (const auto& object : objects) ADD_FAILURE() << slideName << ": " << object << " draws nothing";
}

}  // namespace
