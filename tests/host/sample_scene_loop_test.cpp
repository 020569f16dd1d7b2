// The embedded sample scene's whole loop as a listener hears it through the sound file: every slide
// once, from the scene's start to the first slide's return, with the soundtrack starting over on the
// way. Its loudest sample keeps 1 dB under full scale, it is never silent for more than half a
// second, and the looping effects (the crackle, the rain) keep their level through every seam, where
// the end of their recording joins its start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dshow/graph_probe.h"
#include "platform/dsound/sound_sink.h"
#include "platform/machine/clock.h"
#include "tests/host/sound_file_test.h"

namespace {

constexpr double kRate = 44100.0;

// A looping effect's play on its slide: from the slide's start to the next slide's, and how long its
// recording lasts before it starts again.
struct LoopPlay {
  std::string slide;
  int64_t from = 0, to = 0;  // clock times
  double seconds = 0;        // the recording's length
};

// The level of the highest frequencies over [from, to): the root mean square of the second
// differences of the samples, both channels. The noise-like effects carry far more energy there than
// the soundtrack, so that this follows their level under the music.
double Highs(const HeardFile& heard, size_t from, size_t to) {
  to = std::min(to, heard.left.size());
  double sum = 0;
  size_t n = 0;
  for (size_t i = std::max<size_t>(from, 2); i < to; ++i)
    for (const auto* channel : {&heard.left, &heard.right}) {
      const double d = (*channel)[i] - 2.0 * (*channel)[i - 1] + (*channel)[i - 2];
      sum += d * d;
      ++n;
    }
  return n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

double Decibels(double ratio) { return 20.0 * std::log10(ratio); }

using SampleSceneLoopTest = SoundFileTest;

TEST_F(SampleSceneLoopTest, TheWholeLoopKeepsHeadroomHasNoSilenceAndNoDipAtItsSeams) {
  HearFromNow();

  int64_t sceneStart = -1, loopEnd = -1;
  const DS_SlideContainer* shown = nullptr;
  size_t slidesShown = 0;
  std::vector<LoopPlay> loops;
  int soundtrackStarts = 0;
  REFERENCE_TIME soundtrackAt = 0;

  SceneProbe saver;
  saver.maxTurns = 20000;
  // What is heard does not depend on the pictures: over the four minutes the slide show moves on
  // every frame, and nothing is drawn.
  saver.drawScenes = false;
  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (!show || !show->currentSlide.Get() || loopEnd >= 0) return;
    const int64_t now = machine::clock::Now();
    // The soundtrack's end is noticed on every frame, as on a machine that keeps up with the clock,
    // whatever this run's threads get of the processor.
    dshow::ServiceClock();
    const auto graphs = dshow::Graphs();
    if (!graphs.empty()) {
      if (graphs[0].position < soundtrackAt || soundtrackStarts == 0) ++soundtrackStarts;
      soundtrackAt = graphs[0].position;
    }
    if (show->currentSlide.Get() == shown) return;
    // A slide has just come: the one before it ended now.
    if (sceneStart < 0) sceneStart = now;
    for (LoopPlay& loop : loops)
      if (loop.to < 0) loop.to = now;
    shown = show->currentSlide.Get();
    if (slidesShown++ == show->slides.size()) {
      loopEnd = now;
      return;
    }
    for (const auto& buffer : dsound::SecondaryBuffers())
      if (buffer.playing && buffer.looping && buffer.format.nBlockAlign > 0)
        loops.push_back({std::string(shown->name.value.begin(), shown->name.value.end()), now, -1,
                         static_cast<double>(buffer.bytes.size() / buffer.format.nBlockAlign) / buffer.format.nSamplesPerSec});
  };
  saver.stopWhen = [&](SceneProbe&) { return loopEnd >= 0; };
  // The test window, which plays the soundtrack (the preview does not).
  saver.Start(u"s /t");
  ASSERT_FALSE(saver.stoppedBySafety);
  ASSERT_FALSE(saver.m_errorMode);
  ASSERT_GE(loopEnd, 0);
  ASSERT_GE(soundtrackStarts, 2) << "the soundtrack starts over within the loop";
  ASSERT_FALSE(loops.empty());

  const HeardFile heard = Heard();
  const size_t first = FrameAt(sceneStart), last = std::min(FrameAt(loopEnd), heard.left.size());
  ASSERT_GT(last, first);

  int peak = 0;
  size_t silence = 0, longestSilence = 0;
  for (size_t i = first; i < last; ++i) {
    const int l = std::abs(heard.left[i]), r = std::abs(heard.right[i]);
    peak = std::max({peak, l, r});
    // Under -60 dBFS on both sides is silence.
    silence = std::max(l, r) < 33 ? silence + 1 : 0;
    longestSilence = std::max(longestSilence, silence);
  }
  EXPECT_LE(Decibels(peak / 32767.0), -1.0) << "the peak, in dB of full scale";
  EXPECT_LE(static_cast<double>(longestSilence) / kRate, 0.5) << "the longest silence, in seconds";

  // At each seam the recording's start, where its end is faded in, plays for its first half second:
  // that half second against the loop's level, the median of its half seconds on the slide (a
  // thunderclap now and then does not move it).
  const size_t half = static_cast<size_t>(kRate / 2);
  for (const LoopPlay& loop : loops) {
    const size_t from = FrameAt(loop.from), to = FrameAt(loop.to);
    std::vector<double> levels;
    for (size_t at = from; at + half <= to; at += half / 2) levels.push_back(Highs(heard, at, at + half));
    ASSERT_GT(levels.size(), 4u) << loop.slide;
    std::nth_element(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 2), levels.end());
    const double level = levels[levels.size() / 2];
    for (int k = 1;; ++k) {
      const size_t seam = from + static_cast<size_t>(std::lround(k * loop.seconds * kRate));
      if (seam + half > to) break;
      EXPECT_GE(Decibels(Highs(heard, seam, seam + half) / level), -1.0) << loop.slide << ", seam " << k;
    }
  }
}

}  // namespace
