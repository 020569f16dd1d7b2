// A voice at the output rate passes its samples unchanged; at another rate it is heard at its own
// speed, each output frame taken between the two source frames around it.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/mixer.h"
#include "platform/audio/pcm_stream.h"
#include "platform/audio/voice.h"

namespace {

// A mono 16-bit stream at `rate` whose frame i holds i x 100.
audio::PcmStream Ramp(uint32_t rate, int frames) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < frames; ++i) {
    const auto value = static_cast<uint16_t>(i * 100);
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
  }
  return audio::PcmStream(audio::PcmFormat{audio::SampleType::Signed16, 1, rate, 2}, std::move(bytes));
}

std::vector<float> LeftOf(audio::Voice& voice, size_t frames) {
  std::vector<float> mix(frames * 2, 0.0f);
  voice.MixInto(mix.data(), frames);
  std::vector<float> left;
  for (size_t i = 0; i < frames; ++i) left.push_back(mix[2 * i] * 32768.0f);
  return left;
}

TEST(Voice, ResamplesToTheOutputRate) {
  struct Case {
    uint32_t rate;
    uint64_t start;
    bool looping;
    std::vector<float> expected;  // the left channel, in source units
    bool playingAfter;
  };
  const Case cases[] = {
      // The output rate: the samples themselves; a one-shot ends with its last frame.
      {44100, 0, false, {0, 100, 200, 300, 0, 0}, false},
      {44100, 2, true, {200, 300, 0, 100, 200, 300}, true},
      // Half the rate: every second output frame lies halfway between two source frames.
      {22050, 0, false, {0, 50, 100, 150, 200, 250}, true},
      // Twice the rate: every second source frame is heard.
      {88200, 0, false, {0, 200, 0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz from " << c.start << (c.looping ? " looping" : ""));
    audio::PcmStream ramp = Ramp(c.rate, 4);
    audio::Voice voice;
    voice.SetSource(&ramp);
    voice.Start(c.start, c.looping);
    const std::vector<float> heard = LeftOf(voice, c.expected.size());
    ASSERT_EQ(heard.size(), c.expected.size());
    for (size_t i = 0; i < heard.size(); ++i) EXPECT_NEAR(heard[i], c.expected[i], 0.01) << i;
    EXPECT_EQ(voice.Playing(), c.playingAfter);
  }
}

// A block at a time or all at once, the same samples; gains apply per side, a mono source feeding
// both.
TEST(Voice, BlocksJoinWithoutASeamAndGainsApplyPerSide) {
  audio::PcmStream ramp = Ramp(22050, 50);
  audio::Voice whole;
  audio::Voice pieces;
  for (audio::Voice* voice : {&whole, &pieces}) {
    voice->SetSource(&ramp);
    voice->Start(0, true);
    voice->SetGain(1.0f, 0.5f);
  }
  std::vector<float> once(2 * 150, 0.0f);
  whole.MixInto(once.data(), 150);
  std::vector<float> parts(2 * 150, 0.0f);
  for (size_t at = 0; at < 150; at += 7) pieces.MixInto(parts.data() + 2 * at, std::min<size_t>(7, 150 - at));
  for (size_t i = 0; i < 150; ++i) {
    EXPECT_NEAR(parts[2 * i], once[2 * i], 1e-6) << i;
    EXPECT_NEAR(once[2 * i + 1], once[2 * i] * 0.5f, 1e-6) << i;
  }
}


// The sound device's primary volume is the effects' master: the music keeps the volume its player
// gives it, so a lowered setting is not applied to it twice.
TEST(Mixer, TheMasterGainLowersTheEffectsAndLeavesTheMusic) {
  audio::PcmStream musicRamp = Ramp(44100, 4);
  audio::PcmStream effectRamp = Ramp(44100, 4);
  audio::Voice music;
  audio::Voice effect;
  music.SetSource(&musicRamp);
  effect.SetSource(&effectRamp);
  audio::Mixer& mixer = audio::Mixer::Instance();
  auto held = mixer.Hold();
  std::vector<float> mix(2 * 4);
  auto leftAt = [&](size_t frame) { return mix[2 * frame] * 32768.0f; };
  music.Start(0, true);
  mixer.SetMusic(&music);
  mixer.SetMasterGain(0.25f);
  mixer.RenderHeld(mix.data(), 4);
  EXPECT_NEAR(leftAt(3), 300, 0.01) << "the music alone, untouched by the master gain";
  music.Start(0, true);
  effect.Start(0, true);
  mixer.AddVoice(&effect);
  mixer.RenderHeld(mix.data(), 4);
  EXPECT_NEAR(leftAt(3), 300 + 0.25 * 300, 0.01) << "the effect at a quarter, the music whole";
  mixer.RemoveVoice(&effect);
  mixer.DropMusic(&music);
  mixer.SetMasterGain(1.0f);
}

}  // namespace
