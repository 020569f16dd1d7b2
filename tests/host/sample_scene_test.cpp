// The embedded sample scene as the application loads and plays it: every slide's layer is of the
// class the scene was written with, the layers and objects find the textures and effects the
// document carries for the absent resource library, and every slide that shows them draws a moving
// picture rather than black.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <typeinfo>
#include <vector>

#include "objects/brush_obj.h"
#include "objects/fire_brush.h"
#include "objects/flame_light.h"
#include "objects/static_text.h"
#include "objects/underwater_light.h"
#include "render/effect_particle_objs.h"
#include "slideshow/glass_ball_light.h"
#include "slideshow/lake_light.h"
#include "slideshow/matrix_code_light.h"
#include "slideshow/water_ring_light.h"
#include "tests/host/scene_probe.h"

namespace {

using SampleSceneTest = HostTest;

// What each slide is, in document order.
struct SlideExpectation {
  const char* name;
  const std::type_info& layer;
  int texts;
  int fires;
};

const SlideExpectation kSlides[] = {
    {"Campfire", typeid(DS_2D_Light), 1, 1},        {"Hearth", typeid(DS_FlameLight), 0, 0},
    {"Reef", typeid(FakeUndervater), 0, 0},         {"Storm", typeid(DS_2D_Light), 0, 0},
    {"Meadow", typeid(DS_2D_Light), 0, 0},          {"Haunted", typeid(DS_2D_Light), 0, 0},
    {"Discharge", typeid(DS_2D_Light), 0, 0},       {"Clock", typeid(DS_2D_Light), 0, 0},
    {"Autumn", typeid(DS_2D_Light), 0, 0},          {"Explosion", typeid(DS_2D_Light), 0, 0},
    {"Code", typeid(DS_MatrixCodeLight), 0, 0},     {"Glass Ball", typeid(DS_GlassBallLight), 0, 0},
    {"Mirror Lake", typeid(FakeLake2D), 1, 0},      {"Water Rings", typeid(DS_WaterRingLight), 0, 0},
    {"Sea Waves", typeid(DS_2D_Light), 0, 0},       {"Lake Surface", typeid(DS_2D_Light), 0, 0},
    {"Dream", typeid(DS_2D_Light), 0, 0},           {"Wind", typeid(DS_2D_Light), 0, 0},
};
std::string SlideName(const DS_SlideContainer& slide) {
  std::string name;
  for (char16_t c : slide.name.value) name += static_cast<char>(c);
  return name;
}

// A grid of back-buffer pixels across the whole picture.
std::vector<uint32_t> SampleGrid(const SceneProbe& s) {
  const D3DSURFACE_DESC desc = s.BackBufferDesc(0);
  std::vector<uint32_t> grid;
  for (UINT y = 1; y < 16; ++y)
    for (UINT x = 1; x < 24; ++x) grid.push_back(s.BackBufferPixel(0, int(desc.Width * x / 24), int(desc.Height * y / 16)));
  return grid;
}

int MeanBrightness(const std::vector<uint32_t>& grid) {
  int64_t sum = 0;
  for (uint32_t pixel : grid) sum += Brightness(pixel);
  return grid.empty() ? 0 : static_cast<int>(sum / static_cast<int64_t>(grid.size()));
}

int ChangedPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int changed = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) changed += a[i] != b[i];
  return changed;
}

// The resources each layer class links in the absent library, which the document must supply.
void ExpectLayerResources(const DS_SlideContainer& slide) {
  DS_2D_Light* layer = slide.layer.Get();
  EXPECT_NE(layer->picture.texture.Get(), nullptr) << "the slide's picture";
  if (auto* code = dynamic_cast<DS_MatrixCodeLight*>(layer)) {
    EXPECT_NE(code->glyphBatch.Chunk(0).texture.Get(), nullptr) << "the glyph strip";
    EXPECT_GT(code->settings.glyphCount, 8);
  }
  if (auto* ball = dynamic_cast<DS_GlassBallLight*>(layer)) {
    EXPECT_NE(ball->highlight.Get(), nullptr);
    EXPECT_NE(ball->secondHighlight.Get(), nullptr);
    EXPECT_NE(ball->stand.Get(), nullptr);
  }
  if (auto* lake = dynamic_cast<FakeLake2D*>(layer)) {
    EXPECT_NE(lake->bumpTexture.Get(), nullptr) << "the bump picture";
  }
}

void CountObjects(const DS_SlideContainer& slide, int* texts, int* fires) {
  *texts = *fires = 0;
  for (const auto& object : slide.objects) {
    if (auto* text = dynamic_cast<DS_StaticTextConstructor*>(object->Controller())) {
      ++*texts;
      EXPECT_NE(text->effect.Get(), nullptr) << "the caption effect";
      EXPECT_NE(text->textTarget, nullptr);
    }
    if (auto* fire = dynamic_cast<DS_FireFX*>(object->Controller())) {
      ++*fires;
      EXPECT_NE(fire->effect.Get(), nullptr) << "the fire effect";
      EXPECT_NE(fire->patternTexture.Get(), nullptr);
      EXPECT_NE(fire->noiseTexture.Get(), nullptr);
    }
  }
}

TEST_F(SampleSceneTest, EverySlideHasItsLayerAndObjectsAndDrawsAMovingPicture) {
  SceneProbe saver;
  saver.maxTurns = 3000;
  constexpr size_t kCount = std::size(kSlides);
  // Frames after a slide became current: past its fade-in, and a little later.
  constexpr int kFirstLook = 45, kSecondLook = 60;
  std::vector<std::vector<uint32_t>> first(kCount), second(kCount);
  size_t target = 0;  // the slide being looked at
  int since = -1;                  // frames since it became current
  bool checkedLoad = false;
  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (!show || !show->currentSlide.Get() || target >= kCount) return;
    if (!checkedLoad) {
      checkedLoad = true;
      ASSERT_EQ(show->slides.size(), kCount);
      for (size_t i = 0; i < kCount; ++i) {
        SCOPED_TRACE(kSlides[i].name);
        const DS_SlideContainer* slide = show->slides[i].Get();
        ASSERT_NE(slide, nullptr);
        EXPECT_EQ(SlideName(*slide), kSlides[i].name);
        ASSERT_NE(slide->layer.Get(), nullptr);
        EXPECT_EQ(typeid(*slide->layer.Get()), kSlides[i].layer);
        ExpectLayerResources(*slide);
        int texts = 0, fires = 0;
        CountObjects(*slide, &texts, &fires);
        EXPECT_EQ(texts, kSlides[i].texts);
        EXPECT_EQ(fires, kSlides[i].fires);
      }
    }
    if (show->currentSlide.Get() != show->slides[target].Get()) {
      // Ends the current slide on the next frame, so that the one looked at comes next.
      show->nextIndex = static_cast<DWORD>(target);
      show->startTime = -1.0e6f;
      since = -1;
      return;
    }
    ++since;
    if (since == kFirstLook) first[target] = SampleGrid(s);
    if (since == kSecondLook) {
      second[target] = SampleGrid(s);
      ++target;
    }
  };
  saver.stopWhen = [&](SceneProbe&) { return target >= kCount; };
  saver.Start(u"s /p " + PreviewParent(240, 160));

  ASSERT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(saver.m_errorMode);
  for (size_t i = 0; i < kCount; ++i) {
    SCOPED_TRACE(kSlides[i].name);
    EXPECT_GT(MeanBrightness(first[i]), 30) << "a picture, not black";
    EXPECT_GT(ChangedPixels(first[i], second[i]), 3) << "the layer or its objects move";
  }
}

}  // namespace
