// The sample scene's made sounds: WAVE files the system's own parser reads as 44.1 kHz 16-bit stereo,
// looping effects whose end runs into their start at the same level, one-shot effects and the
// soundtrack that start and end in silence (no click), and an MP3 file of the encoder's frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/wav_data.h"
#include "tools/sound_maker/effects.h"
#include "tools/sound_maker/music.h"
#include "tools/sound_maker/sound_files.h"

namespace {

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TempPath(const std::string& name) { return ::testing::TempDir() + "copperleaf_" + name; }

// Root mean square of both channels over [from, from + count) frames.
float Level(const sound::Stereo& s, size_t from, size_t count) {
  double sum = 0.0;
  for (size_t i = from; i < from + count && i < s.Frames(); ++i) sum += s.left[i] * s.left[i] + s.right[i] * s.right[i];
  return static_cast<float>(std::sqrt(sum / (2.0 * static_cast<double>(count))));
}

float Peak(const sound::Stereo& s) {
  float peak = 0.0f;
  for (size_t i = 0; i < s.Frames(); ++i) peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
  return peak;
}

constexpr size_t kShort = sound::kRate / 20;  // 50 ms

struct EffectCase {
  const char* kind;
  bool loops;
};

class SoundEffectTest : public ::testing::TestWithParam<EffectCase> {};

TEST_P(SoundEffectTest, IsAWaveFileThatLoopsWithoutASeamOrStartsAndEndsInSilence) {
  const auto made = sound::MakeEffect(GetParam().kind);
  ASSERT_TRUE(made.has_value());
  const sound::Stereo& s = *made;
  EXPECT_GT(Level(s, 0, s.Frames()), 0.02f) << "audible";
  EXPECT_LE(Peak(s), 1.0f);

  const std::string path = TempPath(std::string(GetParam().kind) + ".wav");
  ASSERT_TRUE(sound::WriteWave(s, path));
  const std::vector<BYTE> bytes = ReadAll(path);
  std::remove(path.c_str());
  WavData wav;
  ASSERT_TRUE(ParseWav(bytes.data(), static_cast<DWORD>(bytes.size()), &wav));
  EXPECT_EQ(wav.format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(wav.format.nChannels, 2);
  EXPECT_EQ(wav.format.nSamplesPerSec, 44100u);
  EXPECT_EQ(wav.format.wBitsPerSample, 16);
  EXPECT_EQ(wav.samples.size(), s.Frames() * 4);

  const size_t end = s.Frames() - kShort;
  if (GetParam().loops) {
    // The loop's end and start sound alike, and the step across the seam is no larger than a step
    // the sound takes anyway.
    const float head = Level(s, 0, kShort), tail = Level(s, end, kShort);
    EXPECT_LT(std::max(head, tail) / std::min(head, tail), 2.0f);
    float largestStep = 0.0f;
    for (size_t i = 1; i < s.Frames(); ++i) largestStep = std::max(largestStep, std::fabs(s.left[i] - s.left[i - 1]));
    EXPECT_LE(std::fabs(s.left.front() - s.left.back()), largestStep);
    // The cross-fade that closes the loop (its first half second) keeps the level: the middle of the
    // fade is within 1 dB of the loop's whole.
    const float seam = Level(s, sound::kRate / 8, sound::kRate / 4), whole = Level(s, 0, s.Frames());
    EXPECT_LT(std::fabs(20.0f * std::log10(seam / whole)), 1.0f) << seam << " against " << whole;
  } else {
    EXPECT_LT(std::fabs(s.left.front()) + std::fabs(s.right.front()), 0.05f) << "starts without a click";
    EXPECT_LT(Level(s, end, kShort), 0.01f) << "has died away at its end";
  }
}

INSTANTIATE_TEST_SUITE_P(SampleScene, SoundEffectTest,
                         ::testing::Values(EffectCase{"crackle", true}, EffectCase{"rain", true},
                                           EffectCase{"thunder", false}, EffectCase{"birds", false}),
                         [](const auto& info) { return std::string(info.param.kind); });

TEST(SoundMakerTest, AnUnknownEffectIsNotMade) { EXPECT_FALSE(sound::MakeEffect("whistle").has_value()); }

TEST(SoundMakerTest, TheSoundtrackLastsAsAskedOpensAtItsLevelEndsWithoutSilenceAndEncodesAsMp3Frames) {
  const sound::Stereo music = sound::MakeMusic(60.0f);
  const float seconds = static_cast<float>(music.Frames()) / sound::kRate;
  EXPECT_GE(seconds, 60.0f);
  EXPECT_LE(seconds, 66.0f);
  EXPECT_NEAR(Peak(music), sound::kMusicPeak, 0.01f);
  EXPECT_EQ(music.left.front(), 0.0f);
  EXPECT_LT(Level(music, music.Frames() - kShort, kShort), 0.005f);
  for (float at : {10.0f, 30.0f, 50.0f}) EXPECT_GT(Level(music, static_cast<size_t>(at * sound::kRate), sound::kRate), 0.01f) << at;
  // It opens at its level and has no silent tail: played again from its start at its end (the
  // scene's playlist of one file), it leaves no gap.
  const float middle = Level(music, 20 * sound::kRate, 10 * sound::kRate);
  EXPECT_GT(Level(music, sound::kRate / 10, sound::kRate / 2), middle / 4) << "the first half second";
  EXPECT_GT(Level(music, music.Frames() - sound::kRate, sound::kRate / 2), middle / 100) << "the last second";

  const std::string path = TempPath("music.mp3");
  ASSERT_TRUE(sound::WriteMp3(music, path, 128));
  const std::vector<BYTE> bytes = ReadAll(path);
  std::remove(path.c_str());
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1] & 0xFE, 0xFA) << "an MPEG-1 layer III frame";
  // 128 kbit/s: 16,000 bytes a second.
  EXPECT_NEAR(static_cast<double>(bytes.size()), seconds * 16000.0, seconds * 16000.0 * 0.05);
}

}  // namespace
