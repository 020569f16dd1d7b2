// Slides of the sample scene played in any order: what a slide shows does not depend on the slide
// before it, and a device lost and reset on any slide lets the slide go on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "slideshow/view_2d.h"
#include "slideshow/water_ring_light.h"
#include "tests/host/host_fixture.h"
#include "tests/host/scene_player.h"

namespace {

using SceneSlidesTest = HostTest;

// The slides of the sample scene whose layers set device state of their own: matrix code, glass
// ball, lake and water rings.
constexpr size_t kSpecialSlides[] = {6, 7, 8, 9};
constexpr size_t kWaterRings = 9;
constexpr size_t kCampfire = 10;
constexpr int kFrames = 10;
constexpr float kFirstTime = 50.0f, kSecondTime = 100.0f;

std::string Trace(size_t before, size_t slide) {
  return "slide " + std::to_string(slide) + " after slide " + std::to_string(before);
}

// Every slide, played right after a slide with a special layer, shows what it shows when it is the
// first slide played (same scene time, same random sequence): with the default picture position
// Fill a plain slide keeps filling the screen, and the campfire is no different alone.
TEST_F(SceneSlidesTest, EverySlideAfterASpecialLayerLooksAsWhenPlayedFirst) {
  std::vector<std::vector<uint32_t>> first;
  size_t count = 0;
  {
    ScenePlayer probe;
    ASSERT_TRUE(probe.Start(kFill));
    count = probe.SlideCount();
  }
  ASSERT_EQ(count, 11u);
  for (size_t slide = 0; slide < count; ++slide) {
    ScenePlayer player;
    ASSERT_TRUE(player.Start(kFill));
    first.push_back(player.Play(slide, kFrames, kSecondTime));
  }
  for (size_t before : kSpecialSlides) {
    for (size_t slide = 0; slide < count; ++slide) {
      if (slide == before) continue;  // a slide played twice goes on with its own objects' time
      SCOPED_TRACE(Trace(before, slide));
      ScenePlayer player;
      ASSERT_TRUE(player.Start(kFill));
      player.Play(before, kFrames, kFirstTime);
      EXPECT_EQ(DifferentPixels(first[slide], player.Play(slide, kFrames, kSecondTime), 2), 0);
    }
  }
}

// The campfire slide as the only slide played: its fire burns (the frames change where the fire is)
// and lights the picture more than the picture does without it.
TEST_F(SceneSlidesTest, TheCampfireBurnsWhenPlayedFirst) {
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  const std::vector<uint32_t> early = player.Play(kCampfire, kFrames, kSecondTime);
  for (int frame = 0; frame < 15; ++frame) player.Frame(kSecondTime + 1.0f + frame / 30.0f);
  const std::vector<uint32_t> later = player.ReadBackBuffer();
  EXPECT_GT(DifferentPixels(early, later, 8), 100);
}

// A device lost on any slide: the scene gives up its default-pool objects, the reset succeeds, and
// the slide goes on drawing what it drew before the loss (not black, not a frozen frame).
TEST_F(SceneSlidesTest, ADeviceLostOnAnySlideIsResetAndTheSlideGoesOn) {
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  for (size_t slide = 0; slide < player.SlideCount(); ++slide) {
    SCOPED_TRACE("slide " + std::to_string(slide));
    const float time = kSecondTime + 10.0f * static_cast<float>(slide);
    const std::vector<uint32_t> before = player.Play(slide, kFrames, time);
    ASSERT_EQ(player.LoseAndReset(), S_OK);
    player.Frame(time + 0.4f);
    const std::vector<uint32_t> after = player.ReadBackBuffer();
    // Moving slides change a little in a few frames; a black or missing picture changes everywhere.
    EXPECT_LT(DifferentPixels(before, after, 48), static_cast<int>(after.size() / 4));
    EXPECT_GT(MeanLevel(after), MeanLevel(before) / 2);
  }
}

// The water rings drawing the whole layer through the water (mode 1): the first frame after a
// restore (the slide becoming current, or a device reset) shows the picture as every later frame
// does, not a black or white screen.
TEST_F(SceneSlidesTest, WaterRingsThroughTheLayerTargetShowThePictureRightAfterARestore) {
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  auto* water = dynamic_cast<DS_WaterRingLight*>(player.Show().slides.at(kWaterRings)->layer.Get());
  ASSERT_NE(water, nullptr);
  water->waterMode = 1;
  const int level = MeanLevel(player.Play(kWaterRings, kFrames, kSecondTime));
  ASSERT_GT(level, 40);
  EXPECT_NEAR(MeanLevel(player.Play(kWaterRings, 1, kSecondTime + 5.0f)), level, 10);
  ASSERT_EQ(player.LoseAndReset(), S_OK);
  player.Frame(kSecondTime + 6.0f);
  EXPECT_NEAR(MeanLevel(player.ReadBackBuffer()), level, 10);
}

}  // namespace
