// Decoding: every PCM form of a WAVE file gives the samples it holds, and an MP3 file gives exactly
// the samples that were encoded, with a seek landing on the very sample asked for.
#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/audio/mp3_stream.h"
#include "platform/audio/music_file.h"
#include "platform/audio/pcm_stream.h"
#include "platform/audio/voice.h"
#include "platform/audio/wave_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes b(id, id + 4);
  Put(b, static_cast<uint32_t>(body.size()), 4);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2) b.push_back(0);
  return b;
}

// A WAVE file of `tag` (1 PCM, 3 float, 0xFFFE extensible over `subtype`) holding `data`.
Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data, uint16_t subtype = 1) {
  Bytes format;
  const uint16_t block = static_cast<uint16_t>(channels * bits / 8);
  Put(format, tag, 2);
  Put(format, channels, 2);
  Put(format, rate, 4);
  Put(format, rate * block, 4);
  Put(format, block, 2);
  Put(format, bits, 2);
  if (tag == 0xFFFE) {
    Put(format, 22, 2);
    Put(format, bits, 2);
    Put(format, channels == 2 ? 3 : 4, 4);
    const uint8_t guid[16] = {static_cast<uint8_t>(subtype), 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    format.insert(format.end(), guid, guid + 16);
  }
  Bytes body{'W', 'A', 'V', 'E'};
  const Bytes f = Chunk("fmt ", format);
  const Bytes d = Chunk("data", data);
  body.insert(body.end(), f.begin(), f.end());
  body.insert(body.end(), d.begin(), d.end());
  return Chunk("RIFF", body);
}

Bytes FloatBytes(std::initializer_list<float> values) {
  Bytes b;
  for (float v : values) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    Put(b, bits, 4);
  }
  return b;
}

// Each form holds the frames (full scale, half down, a quarter up) of its channel count, left then
// right, so that the decoded floats are the same for all of them.
TEST(WaveDecode, EveryPcmFormGivesItsSamples) {
  struct Case {
    const char* name;
    Bytes file;
    int channels;
    std::vector<float> expected;
  };
  const std::vector<float> mono = {-1.0f, -0.5f, 0.25f};
  const std::vector<float> stereo = {-1.0f, 0.25f, -0.5f, -1.0f};
  const Case cases[] = {
      {"8-bit mono", Wave(1, 1, 8000, 8, {0x00, 0x40, 0xA0}), 1, mono},
      {"16-bit stereo", Wave(1, 2, 44100, 16, {0x00, 0x80, 0x00, 0x20, 0x00, 0xC0, 0x00, 0x80}), 2, stereo},
      {"24-bit mono", Wave(1, 1, 48000, 24, {0, 0, 0x80, 0, 0, 0xC0, 0, 0, 0x20}), 1, mono},
      {"32-bit stereo", Wave(1, 2, 96000, 32, {0, 0, 0, 0x80, 0, 0, 0, 0x20, 0, 0, 0, 0xC0, 0, 0, 0, 0x80}), 2, stereo},
      {"float mono", Wave(3, 1, 22050, 32, FloatBytes({-1.0f, -0.5f, 0.25f})), 1, mono},
      {"extensible 24-bit stereo",
       Wave(0xFFFE, 2, 44100, 24, {0, 0, 0x80, 0, 0, 0x20, 0, 0, 0xC0, 0, 0, 0x80}), 2, stereo},
      {"extensible float stereo", Wave(0xFFFE, 2, 44100, 32, FloatBytes({-1.0f, 0.25f, -0.5f, -1.0f}), 3), 2, stereo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    audio::WaveFile wave;
    ASSERT_TRUE(audio::ParseWaveFile(c.file, &wave));
    audio::PcmStream stream(wave.format, wave.samples);
    EXPECT_EQ(stream.Channels(), c.channels);
    ASSERT_EQ(stream.Frames(), c.expected.size() / c.channels);
    std::vector<float> decoded(c.expected.size() + 2, 9.0f);
    EXPECT_EQ(stream.Read(0, decoded.data(), 100), stream.Frames());
    decoded.resize(c.expected.size());
    EXPECT_EQ(decoded, c.expected);
  }
}

// Forms the platform does not play, and broken files, decode to nothing rather than to noise.
TEST(WaveDecode, UnplayableFormsAreRefused) {
  const Bytes two = {0, 0, 0, 0};
  const Bytes cases[] = {
      Wave(1, 3, 44100, 16, Bytes(6, 0)),                // three channels
      Wave(1, 1, 44100, 12, two),                        // 12-bit
      Wave(3, 1, 44100, 64, Bytes(8, 0)),                // double floats
      Wave(2, 1, 44100, 16, two),                        // a compressed tag
      Wave(0xFFFE, 1, 44100, 16, two, 2),                // an extensible compressed subtype
      Wave(1, 1, 50, 16, two),                           // no card plays 50 Hz
      Wave(1, 2, 44100, 16, {1, 2, 3}),                  // less than a frame
      Bytes{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 0xFF, 0xFF},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    audio::WaveFile wave;
    EXPECT_FALSE(audio::ParseWaveFile(cases[i], &wave)) << "case " << i;
  }
}

class Mp3Decode : public ::testing::Test {
 protected:
  static constexpr int kFrames = 10000;
  static constexpr int kRate = 44100;

  void SetUp() override {
    char pattern[] = "/tmp/copperleaf-mp3-XXXXXX";
    folder_ = mkdtemp(pattern);
    path_ = folder_ + "/tone.mp3";
    // A tone whose pitch rises, so that every stretch of it differs from every other.
    std::vector<short> left(kFrames);
    std::vector<short> right(kFrames);
    for (int i = 0; i < kFrames; ++i) {
      const double t = static_cast<double>(i) / kRate;
      left[i] = static_cast<short>(12000 * std::sin(2 * M_PI * (300 + 2000 * t) * t));
      right[i] = static_cast<short>(8000 * std::sin(2 * M_PI * 450 * t));
    }
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, kRate);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 5);
    ASSERT_GE(lame_init_params(lame), 0);
    std::vector<unsigned char> mp3(kFrames * 2 + 7200);
    int bytes = lame_encode_buffer(lame, left.data(), right.data(), kFrames, mp3.data(), static_cast<int>(mp3.size()));
    ASSERT_GE(bytes, 0);
    const int tail = lame_encode_flush(lame, mp3.data() + bytes, static_cast<int>(mp3.size()) - bytes);
    ASSERT_GE(tail, 0);
    bytes += tail;
    // The tag at the front records the encoder's delay and padding, which the decoder takes off.
    std::vector<unsigned char> tag(4096);
    const size_t tagBytes = lame_get_lametag_frame(lame, tag.data(), tag.size());
    lame_close(lame);
    std::memcpy(mp3.data(), tag.data(), tagBytes);
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(mp3.data()), bytes);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string folder_;
  std::string path_;
};

TEST_F(Mp3Decode, ExactLengthAndSeeksLandOnTheirSample) {
  auto stream = audio::Mp3Stream::Open(path_);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Rate(), 44100u);
  EXPECT_EQ(stream->Channels(), 2);
  EXPECT_EQ(stream->Frames(), static_cast<uint64_t>(kFrames));

  std::vector<float> whole(kFrames * 2 + 200);
  ASSERT_EQ(stream->Read(0, whole.data(), kFrames + 100), static_cast<size_t>(kFrames));
  double energy = 0;
  for (int i = 0; i < kFrames * 2; ++i) energy += whole[i] * whole[i];
  EXPECT_GT(energy / (kFrames * 2), 0.01) << "the tone decodes as sound";

  // Backwards, forwards, near the end: each seek gives what decoding from the start gave there.
  for (uint64_t at : {7001u, 123u, 4608u, 9990u}) {
    SCOPED_TRACE(at);
    std::vector<float> part(64 * 2, 9.0f);
    const size_t read = stream->Read(at, part.data(), 64);
    ASSERT_EQ(read, std::min<size_t>(64, kFrames - at));
    for (size_t i = 0; i < read * 2; ++i) ASSERT_NEAR(part[i], whole[at * 2 + i], 1e-6) << i;
  }
  EXPECT_EQ(stream->Read(kFrames, whole.data(), 10), 0u);
}

// Played by a voice a block at a time, as the mixer does, the file sounds as decoded in one go.
TEST_F(Mp3Decode, AVoiceHearsTheWholeFileBlockByBlock) {
  auto stream = audio::Mp3Stream::Open(path_);
  ASSERT_NE(stream, nullptr);
  std::vector<float> whole(kFrames * 2);
  ASSERT_EQ(stream->Read(0, whole.data(), kFrames), static_cast<size_t>(kFrames));
  audio::Voice voice;
  voice.SetSource(stream.get());
  voice.Start(0, false);
  std::vector<float> heard((kFrames + 441) * 2, 0.0f);
  for (size_t at = 0; at < kFrames + 441; at += 441) voice.MixInto(heard.data() + 2 * at, 441);
  EXPECT_FALSE(voice.Playing());
  for (int i = 0; i < kFrames * 2; ++i) ASSERT_NEAR(heard[i], whole[i], 1e-6) << i;
  for (size_t i = kFrames * 2; i < heard.size(); ++i) ASSERT_EQ(heard[i], 0.0f) << i;
}

// By content, not by name: a WAVE file under an MP3 name is a WAVE file; text is no music at all.
TEST_F(Mp3Decode, MusicFilesAreKnownByTheirContent) {
  const Bytes wave = Wave(1, 1, 8000, 16, {0, 0x40, 0, 0x40});
  const std::string disguised = folder_ + "/wave.mp3";
  std::ofstream(disguised, std::ios::binary).write(reinterpret_cast<const char*>(wave.data()), wave.size());
  const std::string text = folder_ + "/notes.mp3";
  std::ofstream(text) << std::string(3000, 'x');

  auto asWave = audio::OpenMusicFile(disguised);
  ASSERT_NE(asWave, nullptr);
  EXPECT_EQ(asWave->Rate(), 8000u);
  EXPECT_EQ(asWave->Frames(), 2u);
  auto asMp3 = audio::OpenMusicFile(path_);
  ASSERT_NE(asMp3, nullptr);
  EXPECT_EQ(asMp3->Frames(), static_cast<uint64_t>(kFrames));
  EXPECT_EQ(audio::OpenMusicFile(text), nullptr);
  EXPECT_EQ(audio::OpenMusicFile(folder_ + "/absent.mp3"), nullptr);
}

}  // namespace
