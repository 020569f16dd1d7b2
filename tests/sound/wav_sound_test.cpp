#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/dsound/sound_sink.h"
#include "render/random.h"
#include "sound/sound_device.h"
#include "tests/sound/sound_fixture.h"

namespace {

using sound_test::Wave;

const HWND kWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5A5A));

std::unique_ptr<DS_Sound> Make(DS_WAV_Constructor& description) {
  return std::unique_ptr<DS_Sound>(description.CreateRenderObject());
}

// The buffer gets the data chunk's bytes, the file's format, the flags every effect buffer has, and
// the description's volume and balance in hundredths of a decibel; stored values beyond the scale
// stay at its end.
TEST_F(SoundTest, LoadFillsTheBufferFromTheWaveFile) {
  struct Case {
    UINT volume, balance;
    LONG expectedVolume, expectedPan;
  };
  const Case cases[] = {{100, 50, 0, 0}, {0, 0, -5000, -5000}, {100, 100, 0, 5000}, {37, 12, -3150, -3800},
                        {250, 400, 0, 5000}};
  const sound_test::Bytes file = Wave(2, 11025, 16, 300, 1234);
  UseFiles({{u"bell.wav", file}});
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " balance " << c.balance);
    auto description = Description(u"bell.wav");
    description->volume = c.volume;
    description->balance = c.balance;
    auto sound = Make(*description);
    const auto buffers = dsound::SecondaryBuffers();
    ASSERT_EQ(buffers.size(), 1u);
    EXPECT_EQ(buffers[0].flags, 0x40C0u);
    EXPECT_EQ(buffers[0].format.nChannels, 2);
    EXPECT_EQ(buffers[0].format.nSamplesPerSec, 11025u);
    EXPECT_EQ(buffers[0].format.wBitsPerSample, 16);
    EXPECT_EQ(buffers[0].bytes, std::vector<BYTE>(file.end() - 300 * 4, file.end()));
    EXPECT_EQ(buffers[0].volume, c.expectedVolume);
    EXPECT_EQ(buffers[0].pan, c.expectedPan);
  }
}

// A looping sound plays only while its slide is shown, from the start each time; the clock moving on
// does not end it.
TEST_F(SoundTest, LoopingSoundPlaysWhileItsSlideIsShown) {
  UseFiles({{u"rain.wav", Wave(1, 8000, 8, 800)}});
  auto description = Description(u"rain.wav", 0);
  auto sound = Make(*description);
  EXPECT_FALSE(dsound::SecondaryBuffers().at(0).playing) << "a slide not shown yet must be silent";
  sound->SetActive(true);
  AdvanceSeconds(10.05);
  auto state = dsound::SecondaryBuffers().at(0);
  EXPECT_TRUE(state.playing);
  EXPECT_TRUE(state.looping);
  EXPECT_EQ(state.position, 400u);  // 10.05 s at 8000 bytes a second, wrapped at 800
  sound->SetActive(false);
  EXPECT_FALSE(dsound::SecondaryBuffers().at(0).playing);
  sound->SetActive(true);
  EXPECT_EQ(dsound::SecondaryBuffers().at(0).position, 0u);
}

// Minimum = maximum = 2: after the first play the sound restarts 2 s of scene time after the frame in
// which it last played (strictly later), so frame timing adds up to one frame of delay. A one-shot
// sound stays silent when its slide is switched on, until its time comes.
TEST_F(SoundTest, OneShotRestartsAtItsInterval) {
  UseFiles({{u"bell.wav", Wave(1, 8000, 8, 800)}});  // 0.1 s
  auto description = Description(u"bell.wav", 1);
  description->minimumInterval = 2;
  description->maximumInterval = 2;
  auto sound = Make(*description);
  sound->SetActive(true);
  EXPECT_FALSE(dsound::SecondaryBuffers().at(0).playing);
  struct Frame {
    float t;
    bool plays;
  };
  const Frame frames[] = {{0.0f, false}, {0.5f, true}, {1.0f, false}, {2.5f, false}, {3.0f, true},
                          {4.5f, false}, {5.0f, false}, {5.5f, true}};
  float now = 0.0f;
  for (const Frame& f : frames) {
    SCOPED_TRACE(testing::Message() << "t " << f.t);
    AdvanceSeconds(f.t - now);
    now = f.t;
    sound->Update(f.t);
    const auto state = dsound::SecondaryBuffers().at(0);
    EXPECT_EQ(state.playing, f.plays);
    EXPECT_FALSE(state.looping);
  }
  // A one-shot ends by itself at the end of its samples.
  sound->Update(5.55f);
  AdvanceSeconds(0.15);
  EXPECT_FALSE(dsound::SecondaryBuffers().at(0).playing);
}

// RandFloat needs no ordering: minimum 5 and maximum 0 give intervals between 0 and 5 seconds.
TEST_F(SoundTest, ReversedBoundsGiveIntervalsBetweenThem) {
  UseFiles({{u"bell.wav", Wave(1, 8000, 8, 80)}});
  auto description = Description(u"bell.wav", 3);
  description->minimumInterval = 5;
  description->maximumInterval = 0;
  auto sound = Make(*description);
  auto* clone = static_cast<DS_WAV_Constructor*>(sound->Controller());
  SRand(1);
  float smallest = 5.0f, largest = 0.0f;
  for (int i = 0; i < 200; ++i) {
    const float t = 1000.0f + static_cast<float>(i) * 10.0f;
    sound->Update(t);
    const float interval = clone->nextTrigger - t;
    smallest = std::min(smallest, interval);
    largest = std::max(largest, interval);
  }
  EXPECT_GE(smallest, 0.0f);
  EXPECT_LE(largest, 5.0f);
  EXPECT_LT(smallest, 1.0f);
  EXPECT_GT(largest, 4.0f);
}

// The mix follows volume and pan: volume 0 is -50 dB, balance 100 turns the left side down by 50 dB
// and leaves the right at full level; the primary buffer's volume scales everything.
TEST_F(SoundTest, MixFollowsVolumeAndPan) {
  UseFiles({{u"tone.wav", Wave(1, 44100, 16, 4410, 16384)}});
  struct Case {
    UINT volume, balance;
    LONG primary;
    float left, right;
  };
  const float quiet = 0.5f * std::pow(10.0f, -2.5f);
  const Case cases[] = {{100, 50, 0, 0.5f, 0.5f}, {0, 50, 0, quiet, quiet}, {100, 100, 0, quiet, 0.5f},
                        {100, 0, 0, 0.5f, quiet}, {100, 50, -5000, quiet, quiet}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " balance " << c.balance << " primary " << c.primary);
    SoundDevice::SetPrimaryVolume(c.primary);
    auto description = Description(u"tone.wav");
    description->volume = c.volume;
    description->balance = c.balance;
    auto sound = Make(*description);
    sound->SetActive(true);
    const std::vector<float> mix = dsound::MixStereo(4);
    EXPECT_NEAR(mix[0], c.left, 1e-5f);
    EXPECT_NEAR(mix[1], c.right, 1e-5f);
    sound->SetActive(false);
    EXPECT_EQ(dsound::MixStereo(1), (std::vector<float>{0.0f, 0.0f}));
  }
}

// Every monitor scene makes its own render objects from its own descriptions: each has its buffer,
// so a looping sound plays once per monitor. A clone shares its description's buffer.
TEST_F(SoundTest, EachSceneHasItsOwnBuffers) {
  UseFiles({{u"rain.wav", Wave(1, 8000, 8, 800)}});
  auto first = Description(u"rain.wav");
  auto second = Description(u"rain.wav");
  auto a = Make(*first);
  auto b = Make(*second);
  a->SetActive(true);
  b->SetActive(true);
  const auto buffers = dsound::SecondaryBuffers();
  ASSERT_EQ(buffers.size(), 2u);
  EXPECT_TRUE(buffers[0].playing && buffers[1].playing);

  auto* loaded = static_cast<DS_WAV_Constructor*>(a->Controller());
  std::unique_ptr<DS_Sound_Ctrl> clone(loaded->Clone());
  EXPECT_EQ(static_cast<DS_WAV_Constructor*>(clone.get())->buffer, loaded->buffer);
  clone.reset();
  a.reset();
  EXPECT_EQ(dsound::SecondaryBuffers().size(), 1u) << "the last reference frees the buffer";
}

// No device, no record for the link, or bytes that are no WAVE: the sound has no buffer and every
// operation on it does nothing.
TEST_F(SoundTest, SilentWithoutDeviceRecordOrWave) {
  UseFiles({{u"bell.wav", Wave(1, 8000, 8, 80)}, {u"noise.wav", sound_test::Bytes(100, 7)}});
  for (const char16_t* path : {u"missing.wav", u"noise.wav"}) {
    auto description = Description(path, 1);
    auto sound = Make(*description);
    EXPECT_EQ(static_cast<DS_WAV_Constructor*>(sound->Controller())->buffer, nullptr);
    sound->SetActive(true);
    sound->Update(3.0f);
    sound->Restart(0);
    sound->SetActive(false);
  }
  ForgetDevice();
  dsound::SetDeviceAvailable(false);
  EXPECT_FALSE(SoundDevice::Init(kWindow));
  EXPECT_EQ(SoundDevice::device, nullptr);
  SoundDevice::SetPrimaryVolume(-100);
  SoundDevice::StopPrimary();
  auto description = Description(u"bell.wav", 0);
  auto sound = Make(*description);
  sound->SetActive(true);
  sound->Update(1.0f);
  EXPECT_TRUE(dsound::SecondaryBuffers().empty());
}

// The device is made once; after a device reset stopped the primary buffer, the next Init plays it
// again instead of leaving it stopped.
TEST_F(SoundTest, InitOnceAndPrimaryPlaysAgainAfterReset) {
  IDirectSound8* device = SoundDevice::device;
  EXPECT_TRUE(dsound::Primary().playing);
  SoundDevice::SetPrimaryVolume(0);
  SoundDevice::StopPrimary();
  EXPECT_FALSE(dsound::Primary().playing);
  EXPECT_TRUE(SoundDevice::Init(kWindow));
  EXPECT_EQ(SoundDevice::device, device);
  EXPECT_TRUE(dsound::Primary().playing);
  SoundDevice::SetPrimaryVolume(-20000);
  EXPECT_EQ(dsound::Primary().volume, -10000);
}

}  // namespace
