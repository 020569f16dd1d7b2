// Slides of the sample scene played in any order: what a slide shows does not depend on the slide
// before it, and a device lost and reset on any slide lets the slide go on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/discharge_fx_constructor.h"
#include "objects/fire_brush.h"
#include "objects/flame_light.h"
#include "objects/underwater_light.h"
#include "slideshow/glass_ball_light.h"
#include "slideshow/lake_light.h"
#include "slideshow/matrix_code_light.h"
#include "slideshow/view_2d.h"
#include "slideshow/water_ring_light.h"
#include "render/effect_particle_objs.h"
#include "platform/d3dx9/effect.h"
#include "tests/host/host_fixture.h"
#include "tests/host/scene_player.h"

namespace {

using SceneSlidesTest = HostTest;

constexpr int kFrames = 10;
constexpr float kFirstTime = 50.0f, kSecondTime = 100.0f;

// The slides whose layers set device state of their own: matrix code, glass ball, lake, water
// rings, flame and underwater.
bool HasSpecialLayer(const DS_SlideContainer& slide) {
  const DS_2D_Light* layer = slide.layer.Get();
  return dynamic_cast<const DS_MatrixCodeLight*>(layer) || dynamic_cast<const DS_GlassBallLight*>(layer) ||
         dynamic_cast<const FakeLake2D*>(layer) || dynamic_cast<const DS_WaterRingLight*>(layer) ||
         dynamic_cast<const DS_FlameLight*>(layer) || dynamic_cast<const FakeUndervater*>(layer);
}

// The first slide of the scene that holds an object of class T (scene.size() when none does).
template <class T>
size_t FirstSlideWith(DS_SlideShow_Light& show) {
  for (size_t i = 0; i < show.slides.size(); ++i)
    if (const DS_SlideContainer* slide = show.slides[i].Get())
      for (const auto& object : slide->objects)
        if (dynamic_cast<T*>(object->Controller())) return i;
  return show.slides.size();
}

template <class Layer>
size_t FirstSlideOfLayer(DS_SlideShow_Light& show) {
  for (size_t i = 0; i < show.slides.size(); ++i)
    if (show.slides[i].Get() && dynamic_cast<Layer*>(show.slides[i]->layer.Get())) return i;
  return show.slides.size();
}

std::string Trace(size_t before, size_t slide) {
  return "slide " + std::to_string(slide) + " after slide " + std::to_string(before);
}

// Every slide, played right after a slide with a special layer, shows what it shows when it is the
// first slide played (same scene time, same random sequence): with the default picture position
// Fill a plain slide keeps filling the screen, and a slide with a fire is no different alone.
TEST_F(SceneSlidesTest, EverySlideAfterASpecialLayerLooksAsWhenPlayedFirst) {
  std::vector<std::vector<uint32_t>> first;
  std::vector<size_t> special;
  size_t count = 0;
  {
    ScenePlayer probe;
    ASSERT_TRUE(probe.Start(kFill));
    count = probe.SlideCount();
    for (size_t i = 0; i < count; ++i)
      if (probe.Show().slides[i].Get() && HasSpecialLayer(*probe.Show().slides[i])) special.push_back(i);
  }
  ASSERT_GE(special.size(), 4u);
  for (size_t slide = 0; slide < count; ++slide) {
    ScenePlayer player;
    ASSERT_TRUE(player.Start(kFill));
    first.push_back(player.Play(slide, kFrames, kSecondTime));
  }
  for (size_t before : special) {
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

// A slide with a fire brush as the only slide played: its fire burns (the frames change where the
// fire is), without any state that another slide would have left.
TEST_F(SceneSlidesTest, AFireBurnsWhenItsSlideIsPlayedFirst) {
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  const size_t campfire = FirstSlideWith<DS_FireFX>(player.Show());
  ASSERT_LT(campfire, player.SlideCount());
  const std::vector<uint32_t> early = player.Play(campfire, kFrames, kSecondTime);
  for (int frame = 0; frame < 15; ++frame) player.Frame(kSecondTime + 1.0f + frame / 30.0f);
  const std::vector<uint32_t> later = player.ReadBackBuffer();
  EXPECT_GT(DifferentPixels(early, later, 8), 100);
}

// A discharge bolt without its effect (a library that lacks it) draws nothing, and the rest of its
// slide draws as usual: the screen does not keep the frame of the slide before.
TEST_F(SceneSlidesTest, ABoltWithoutItsEffectLeavesTheRestOfItsSlideDrawn) {
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  const size_t bolt = FirstSlideWith<DS_DischargeFXConstructor>(player.Show());
  ASSERT_LT(bolt, player.SlideCount());
  const std::vector<uint32_t> with = player.Play(bolt, kFrames, kSecondTime);
  for (const auto& object : player.Show().slides[bolt]->objects)
    if (auto* glow = dynamic_cast<DS_GlowingObj*>(object.Get())) glow->glowController->effect.Release();
  const size_t other = bolt == 0 ? 1 : 0;
  const std::vector<uint32_t> before = player.Play(other, kFrames, kFirstTime);
  const std::vector<uint32_t> without = player.Play(bolt, kFrames, kSecondTime);
  EXPECT_GT(DifferentPixels(before, without, 8), static_cast<int>(without.size() / 2));
  EXPECT_NEAR(MeanLevel(without), MeanLevel(with), 20);
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
  const size_t rings = FirstSlideOfLayer<DS_WaterRingLight>(player.Show());
  ASSERT_LT(rings, player.SlideCount());
  auto* water = dynamic_cast<DS_WaterRingLight*>(player.Show().slides[rings]->layer.Get());
  ASSERT_NE(water, nullptr);
  water->waterMode = 1;
  const int level = MeanLevel(player.Play(rings, kFrames, kSecondTime));
  ASSERT_GT(level, 40);
  EXPECT_NEAR(MeanLevel(player.Play(rings, 1, kSecondTime + 5.0f)), level, 10);
  ASSERT_EQ(player.LoseAndReset(), S_OK);
  player.Frame(kSecondTime + 6.0f);
  EXPECT_NEAR(MeanLevel(player.ReadBackBuffer()), level, 10);
}

// A device lost and reset on the discharge slide: the bolt, its glow and its sparks draw on the
// next frame as they would have without the loss, not only when the slide comes round again.
TEST_F(SceneSlidesTest, TheBoltDrawsOnRightAfterAResetOnItsSlide) {
  std::vector<uint32_t> bolted, unlit;
  size_t bolt = 0;
  {
    ScenePlayer player;
    ASSERT_TRUE(player.Start(kFill));
    bolt = FirstSlideWith<DS_DischargeFXConstructor>(player.Show());
    ASSERT_LT(bolt, player.SlideCount());
    bolted = player.Play(bolt, kFrames, kSecondTime);
  }
  {
    ScenePlayer player;
    ASSERT_TRUE(player.Start(kFill));
    for (const auto& object : player.Show().slides[bolt]->objects)
      if (auto* glow = dynamic_cast<DS_GlowingObj*>(object.Get())) glow->glowController->effect.Release();
    unlit = player.Play(bolt, kFrames, kSecondTime);
  }
  const int boltPixels = DifferentPixels(bolted, unlit, 8);
  ASSERT_GT(boltPixels, 200);
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  player.Play(bolt, kFrames - 1, kSecondTime);
  ASSERT_EQ(player.LoseAndReset(), S_OK);
  player.Frame(kSecondTime + static_cast<float>(kFrames - 1) / 30.0f);
  EXPECT_LT(DifferentPixels(player.ReadBackBuffer(), bolted, 8), boltPixels / 10);
}

int ResetsOf(ID3DXEffect* effect) {
  int resets = 0;
  if (const auto* calls = d3dx9::RecordedEffectCalls(effect))
    for (const d3dx9::EffectCall& call : *calls) resets += call.method == "OnResetDevice" ? 1 : 0;
  return resets;
}

// The resource manager gets its device objects back once per device reset, whatever the current
// slide's layer: a slide without a layer leaves no text target released, and the flame layer,
// which leaves the manager alone when its slide becomes current, has its shimmer reset by the host.
TEST_F(SceneSlidesTest, TheManagerIsResetAfterADeviceResetWhateverTheLayer) {
  const d3dx9::EffectRecording recording;
  ScenePlayer player;
  ASSERT_TRUE(player.Start(kFill));
  const size_t flames = FirstSlideOfLayer<DS_FlameLight>(player.Show());
  ASSERT_LT(flames, player.SlideCount());
  ID3DXEffect* shimmer = dynamic_cast<DS_FlameLight*>(player.Show().slides[flames]->layer.Get())->distortion.effect.Get();
  ASSERT_NE(shimmer, nullptr);
  RenderTargetPair* text = g_DocResManager->GetTextTarget(GUID{0x7E57, 0, 0, {}});
  ASSERT_NE(text->Current(), nullptr);

  const size_t bare = flames == 0 ? 1 : 0;
  player.Show().slides[bare]->layer = CountedPtr<DS_2D_Light>();
  player.Play(bare, 2, kFirstTime);
  ASSERT_EQ(player.LoseAndReset(), S_OK);
  EXPECT_NE(text->Current(), nullptr);

  const int before = ResetsOf(shimmer);
  player.Play(flames, 2, kSecondTime);
  EXPECT_EQ(ResetsOf(shimmer), before) << "the flame layer's activation resets nothing";
  ASSERT_EQ(player.LoseAndReset(), S_OK);
  EXPECT_EQ(ResetsOf(shimmer), before + 1);
  EXPECT_NE(text->Current(), nullptr);
}

}  // namespace
