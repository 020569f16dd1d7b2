// Every layer and drawn object of the embedded sample scene moves: on the virtual clock each slide is
// played, and at moments through its show its frame is drawn again with all its objects, without each
// one of them, and without any. What an object adds to its frame (the frame with it less the frame
// without it) must differ between two moments, and so must the frame of the layer alone, by more than
// a bilinear resampling of a still picture would change it. A brush that stores a speed of 0, or an
// object that only repeats one still picture, fails. A plain picture layer without its camera is the
// one layer meant to stand still.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <typeinfo>
#include <vector>

#include "tests/host/slide_by_slide.h"

namespace {

using SampleSceneMotionTest = HostTest;

// Moments of a slide, in frames after it became current: past its fade-in, through its show.
constexpr int kFirstLook = 30, kLookEvery = 30, kLastLook = 330;
// A channel must move by more than filtering noise, on more pixels than this.
constexpr int kTolerance = 8;
constexpr size_t kMovingPixels = 24;

// A frame's channels, or what one object adds to them: three signed values a pixel.
using Channels = std::vector<std::array<int16_t, 3>>;

int Channel(uint32_t pixel, int c) { return static_cast<int>((pixel >> (16 - 8 * c)) & 0xFF); }

Channels Difference(const std::vector<uint32_t>& with, const std::vector<uint32_t>& without) {
  Channels d(with.size());
  for (size_t i = 0; i < with.size() && i < without.size(); ++i)
    for (int c = 0; c < 3; ++c) d[i][c] = static_cast<int16_t>(Channel(with[i], c) - Channel(without[i], c));
  return d;
}

Channels Plain(const std::vector<uint32_t>& frame) { return Difference(frame, std::vector<uint32_t>(frame.size(), 0)); }

bool Moved(const Channels& a, const Channels& b) {
  size_t moving = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    for (int c = 0; c < 3; ++c)
      if (std::abs(a[i][c] - b[i][c]) > kTolerance) {
        ++moving;
        break;
      }
  return moving > kMovingPixels;
}

// What one element (an object, or the layer) showed at each moment so far, until it is seen moving.
struct Element {
  std::string name;
  std::vector<Channels> looks;
  bool moving = false;

  void Look(Channels now) {
    if (moving) return;
    for (const Channels& earlier : looks) moving = moving || Moved(earlier, now);
    if (moving) looks.clear();
    else looks.push_back(std::move(now));
  }
};

TEST_F(SampleSceneMotionTest, EveryLayerAndObjectOfEverySlideMovesThroughItsShow) {
  SceneProbe saver;
  saver.maxTurns = 20000;
  std::vector<Element> elements;  // the slide's objects, then its layer when it is meant to move
  std::vector<std::string> still;

  const SlideLook look = [&](SceneProbe& s, DS_SlideShow_Light& show, DS_SlideContainer& slide, int since) {
    if (since == 0) {
      elements.clear();
      for (const auto& object : slide.objects)
        elements.push_back({object->Controller() ? Narrow(object->Controller()->name) : "an object", {}, false});
      DS_2D_Light* layer = slide.layer.Get();
      if (typeid(*layer) != typeid(DS_2D_Light) || layer->camera.enabled.value != 0) elements.push_back({"the layer", {}, false});
    }
    if (since >= kFirstLook && (since - kFirstLook) % kLookEvery == 0) {
      const RenderObjects all = slide.objects;
      const std::vector<uint32_t> with = DrawAgain(s, show);
      for (size_t k = 0; k < all.size(); ++k) {
        if (elements[k].moving) continue;
        slide.objects.erase(slide.objects.begin() + static_cast<std::ptrdiff_t>(k));
        elements[k].Look(Difference(with, DrawAgain(s, show)));
        slide.objects = all;
      }
      if (elements.size() > all.size() && !elements.back().moving) {
        slide.objects.clear();
        elements.back().Look(Plain(DrawAgain(s, show)));
        slide.objects = all;
      }
    }
    if (since < kLastLook) return false;
    for (const Element& e : elements)
      if (!e.moving) still.push_back(Narrow(slide.name.value) + ": " + e.name);
    return true;
  };
  const SlidesLookedAt slides = LookAtEverySlide(saver, u"s /p " + PreviewParent(200, 150), look);

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_EQ(slides.looked, slides.count);
  for (const std::string& element : still) ADD_FAILURE() << element << " stands still";
}

}  // namespace
