// The embedded sample scene as a listener hears it through the sound file: the soundtrack plays from
// the scene's start, and the slides with sound effects (the campfire's crackle, the storm's rain and
// thunder, the meadow's birds) are heard on their own slides and not on a slide without effects.
// Noise-like effects carry far more energy in the highest frequencies than the soundtrack, so the
// measure is the level of the difference between neighbouring samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/machine/clock.h"
#include "tests/host/sound_file_test.h"

namespace {

using SampleSceneSoundTest = SoundFileTest;

struct Loudness {
  double level = 0.0;  // root mean square of the samples
  double highs = 0.0;  // root mean square of the differences between neighbouring samples
};

Loudness Measure(const HeardFile& file, size_t from, size_t to) {
  Loudness h;
  if (to > file.left.size()) to = file.left.size();
  if (from + 1 >= to) return h;
  double sum = 0.0, diff = 0.0;
  for (size_t i = from + 1; i < to; ++i) {
    for (const auto* channel : {&file.left, &file.right}) {
      const double x = (*channel)[i], d = x - (*channel)[i - 1];
      sum += x * x;
      diff += d * d;
    }
  }
  const double n = 2.0 * static_cast<double>(to - from - 1);
  return {std::sqrt(sum / n), std::sqrt(diff / n)};
}

struct Visit {
  const char* slide;
  float seconds;  // how long it is shown
};

TEST_F(SampleSceneSoundTest, TheSoundtrackPlaysFromTheStartAndEachSlidesEffectsAreHeardOnItsSlide) {
  // The one-shot birds and thunder come at random intervals of a few seconds: their slides stay long
  // enough for them to come.
  const Visit visits[] = {{"Campfire", 5.0f}, {"Reef", 5.0f}, {"Storm", 5.0f}, {"Meadow", 9.0f}};
  struct Span {
    int64_t from = 0, to = 0;
  };
  std::map<std::string, Span> spans;
  int64_t sceneStart = -1;
  size_t visit = 0;
  int64_t shownSince = -1;

  SceneProbe saver;
  saver.maxTurns = 20000;
  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (!show || !show->currentSlide.Get() || visit >= std::size(visits)) return;
    const int64_t now = machine::clock::Now();
    if (sceneStart < 0) sceneStart = now;
    size_t index = 0;
    while (index < show->slides.size() && std::u16string(show->slides[index]->name.value) !=
                                              std::u16string(visits[visit].slide, visits[visit].slide + std::strlen(visits[visit].slide)))
      ++index;
    ASSERT_LT(index, show->slides.size()) << visits[visit].slide;
    if (show->currentSlide.Get() != show->slides[index].Get()) {
      // Ends the current slide on the next frame, so that the one listened to comes next.
      show->nextIndex = static_cast<DWORD>(index);
      show->startTime = -1.0e6f;
      shownSince = -1;
      return;
    }
    if (shownSince < 0) shownSince = now;
    if (now - shownSince >= static_cast<int64_t>(visits[visit].seconds * 1e9f)) {
      // Half a second after the slide came is left out: its fade-in and the sounds starting.
      spans[visits[visit].slide] = {shownSince + 500'000'000, now};
      ++visit;
    }
  };
  saver.stopWhen = [&](SceneProbe&) { return visit >= std::size(visits); };
  // The test window, which plays the soundtrack (the preview does not).
  saver.Start(u"s /t");
  ASSERT_FALSE(saver.stoppedBySafety);
  ASSERT_FALSE(saver.m_errorMode);
  ASSERT_EQ(visit, std::size(visits));

  const HeardFile heard = Heard();
  const Loudness opening = Measure(heard, FrameAt(sceneStart), FrameAt(sceneStart + 2'000'000'000));
  EXPECT_GT(opening.level, 300.0) << "the soundtrack is heard from the scene's start";

  std::map<std::string, Loudness> on;
  for (const auto& [slide, span] : spans) on[slide] = Measure(heard, FrameAt(span.from), FrameAt(span.to));
  EXPECT_GT(on["Reef"].level, 300.0) << "the soundtrack plays on under a slide without effects";
  for (const char* slide : {"Campfire", "Storm", "Meadow"})
    EXPECT_GT(on[slide].highs, 2.0 * on["Reef"].highs) << slide << "'s effects are heard";
}

}  // namespace
