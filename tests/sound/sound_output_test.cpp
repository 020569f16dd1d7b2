// What a listener hears, through the sound sink on the virtual clock: the effects of the scene's
// sound descriptions and the music player's files, each at its moment to the sample, at its volume
// and pan, under the primary buffer's volume.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/audio/mixer.h"
#include "platform/machine/machine.h"
#include "platform/win32/windowing.h"
#include "sound/audio_player.h"
#include "sound/sound_device.h"
#include "tests/sound/heard_file.h"
#include "tests/sound/sound_fixture.h"
#include "tests/sound/temp_folder.h"

namespace {

using sound_test::Wave;

constexpr size_t kTenth = 4410;  // output frames in 0.1 s

class SoundOutputTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    path_ = temp_.Base() + "/heard.wav";
    audio::Mixer::Instance().UseFileSink(path_);
  }
  void TearDown() override {
    audio::Mixer::Instance().CloseOutput();
    SoundTest::TearDown();
  }
  // Closes the sink and reads what it wrote.
  HeardFile Heard() {
    audio::Mixer::Instance().CloseOutput();
    HeardFile heard(path_);
    EXPECT_TRUE(heard.wellFormed);
    return heard;
  }

  TempFolder temp_;
  std::string path_;
};

// A looping effect sounds from the moment its slide is shown until the moment it is left; a
// one-shot plays its samples once at its time; balance 100 puts it on the right (the left side
// 50 dB down) and a volume of 0 plays it 50 dB down.
TEST_F(SoundOutputTest, EffectsSoundWhileTheirSlideIsShownAtTheirVolumeAndPan) {
  UseFiles({{u"loop.wav", Wave(1, 44100, 16, 441, 8000)}, {u"shot.wav", Wave(1, 44100, 16, 2205, -16000)}});
  auto loop = Description(u"loop.wav", 0);
  auto shot = Description(u"shot.wav", 1);
  shot->balance = 100;
  shot->minimumInterval = 10;
  shot->maximumInterval = 10;
  std::unique_ptr<DS_Sound> looping(loop->CreateRenderObject());
  std::unique_ptr<DS_Sound> oneShot(shot->CreateRenderObject());
  AdvanceSeconds(0.1);
  looping->SetActive(true);
  oneShot->SetActive(true);
  oneShot->Update(0.5f);  // past its first trigger: plays once now
  AdvanceSeconds(0.2);
  looping->SetActive(false);
  oneShot->SetActive(false);
  AdvanceSeconds(0.1);
  const HeardFile heard = Heard();
  ASSERT_EQ(heard.left.size(), 4 * kTenth);
  const int loopLevel = static_cast<int>(std::lround(8000 / 32768.0 * 32767));
  const int shotRight = static_cast<int>(std::lround(-16000 / 32768.0 * 32767));
  const int shotLeft = static_cast<int>(std::lround(-16000 / 32768.0 * 32767 * std::pow(10.0, -2.5)));
  EXPECT_TRUE(HeardFile::All(heard.left, 0, kTenth, 0)) << "nothing before the slide";
  // The one-shot lasts 0.05 s (2205 frames), the loop wraps every 441 frames without a seam.
  EXPECT_TRUE(HeardFile::All(heard.right, kTenth, kTenth + 2205, loopLevel + shotRight));
  EXPECT_TRUE(HeardFile::All(heard.left, kTenth, kTenth + 2205, loopLevel + shotLeft));
  EXPECT_TRUE(HeardFile::All(heard.right, kTenth + 2205, 3 * kTenth, loopLevel));
  EXPECT_TRUE(HeardFile::All(heard.left, 3 * kTenth, 4 * kTenth, 0)) << "nothing after the slide";
  EXPECT_TRUE(HeardFile::All(heard.right, 3 * kTenth, 4 * kTenth, 0));
}

// The primary buffer's volume scales the whole mix: -10000 (muted) silences it.
TEST_F(SoundOutputTest, ThePrimaryVolumeScalesEverything) {
  UseFiles({{u"loop.wav", Wave(2, 22050, 16, 100, 16384)}});
  auto loop = Description(u"loop.wav", 0);
  std::unique_ptr<DS_Sound> looping(loop->CreateRenderObject());
  looping->SetActive(true);
  SoundDevice::SetPrimaryVolume(-2000);  // a tenth
  AdvanceSeconds(0.1);
  SoundDevice::SetPrimaryVolume(-10000);
  AdvanceSeconds(0.1);
  const HeardFile heard = Heard();
  // A 22.05 kHz buffer is heard at its own speed: each of its frames twice at 44.1 kHz.
  EXPECT_TRUE(HeardFile::All(heard.left, 0, kTenth, static_cast<int>(std::lround(0.5 * 32767 * 0.1))));
  EXPECT_TRUE(HeardFile::All(heard.right, kTenth, 2 * kTenth, 0));
}

LRESULT CALLBACK Quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// The music file plays from its start when the player plays it, at the volume the settings give
// (SoundVolume 50 is 20 dB down), and not at all when muted; it ends with its last sample.
TEST_F(SoundOutputTest, MusicPlaysFromItsStartAtTheSettingsVolume) {
  win32::ResetWindowing();
  machine::Install(machine::DefaultMachine());
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Quiet;
  windowClass.lpszClassName = u"MusicWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"MusicWindow", u"main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(AudioPlayer::Init(window));
  temp_.Write("music.wav", Wave(2, 44100, 16, 2 * kTenth, 20000));
  const DWORD savedVolume = g_SoundVolume;
  AdvanceSeconds(0.1);
  g_SoundVolume = 50;
  AudioPlayer::Play(temp_.Wide("music.wav").c_str());
  AudioPlayer::ApplyVolume(false);
  AdvanceSeconds(0.1);
  AudioPlayer::ApplyVolume(true);
  AdvanceSeconds(0.2);
  AudioPlayer::Release();
  g_SoundVolume = savedVolume;
  win32::ResetWindowing();
  const HeardFile heard = Heard();
  const int level = static_cast<int>(std::lround(20000 / 32768.0 * 32767 * 0.1));
  EXPECT_TRUE(HeardFile::All(heard.left, 0, kTenth, 0));
  EXPECT_TRUE(HeardFile::All(heard.left, kTenth, 2 * kTenth, level));
  EXPECT_TRUE(HeardFile::All(heard.right, kTenth, 2 * kTenth, level));
  EXPECT_TRUE(HeardFile::All(heard.left, 2 * kTenth, 4 * kTenth, 0)) << "muted, then ended";
}

}  // namespace
