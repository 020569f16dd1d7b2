// What a listener hears, through the sound sink on the virtual clock: the effects of the scene's
// sound descriptions and the music player's files, each at its moment to the sample, at its volume
// and pan, under the primary buffer's volume.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/audio/mixer.h"
#include "platform/machine/clock.h"
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
  // The one-shot lasts 0.05 s (2205 frames), the loop wraps every 441 frames without a seam; both
  // fade in over their first 5 ms (220 frames), and out over 5 ms at the slide's end.
  constexpr size_t kFade = 221;
  EXPECT_TRUE(HeardFile::All(heard.right, kTenth + kFade, kTenth + 2205, loopLevel + shotRight));
  EXPECT_TRUE(HeardFile::All(heard.left, kTenth + kFade, kTenth + 2205, loopLevel + shotLeft));
  EXPECT_TRUE(HeardFile::All(heard.right, kTenth + 2205, 3 * kTenth, loopLevel));
  EXPECT_TRUE(HeardFile::All(heard.left, 3 * kTenth + kFade, 4 * kTenth, 0)) << "nothing after the slide";
  EXPECT_TRUE(HeardFile::All(heard.right, 3 * kTenth + kFade, 4 * kTenth, 0));
}

// Effects of every sample width a file may hold sound at the same level: 24 and 32-bit integers and
// 32-bit floats as well as 8 and 16 bits.
TEST_F(SoundOutputTest, EveryPcmWidthIsHeard) {
  auto file = [](uint16_t tag, uint16_t bits, const sound_test::Bytes& sample) {
    sound_test::Bytes format = sound_test::PcmFormat(1, 44100, bits);
    format[0] = static_cast<uint8_t>(tag);
    sound_test::Bytes data;
    for (int i = 0; i < 100; ++i) data.insert(data.end(), sample.begin(), sample.end());
    return sound_test::Riff({sound_test::Chunk("fmt ", format), sound_test::Chunk("data", data)});
  };
  // Each is a quarter of full scale, negative.
  UseFiles({{u"8.wav", file(1, 8, {0x60})},
            {u"16.wav", file(1, 16, {0x00, 0xE0})},
            {u"24.wav", file(1, 24, {0x00, 0x00, 0xE0})},
            {u"32.wav", file(1, 32, {0x00, 0x00, 0x00, 0xE0})},
            {u"float.wav", file(3, 32, {0x00, 0x00, 0x80, 0xBE})}});
  std::vector<std::unique_ptr<DS_WAV_Constructor>> descriptions;
  std::vector<std::unique_ptr<DS_Sound>> sounds;
  for (const char16_t* name : {u"8.wav", u"16.wav", u"24.wav", u"32.wav", u"float.wav"}) {
    descriptions.push_back(Description(name, 0));
    sounds.emplace_back(descriptions.back()->CreateRenderObject());
  }
  for (size_t i = 0; i < sounds.size(); ++i) {
    sounds[i]->SetActive(true);
    AdvanceSeconds(0.1);
    sounds[i]->SetActive(false);
  }
  const HeardFile heard = Heard();
  const int quarter = static_cast<int>(std::lround(-0.25 * 32767));
  // From the end of the first one's 5 ms fade-in on: each next one fades in as the one before fades
  // out, and together they keep the level.
  for (size_t i = 0; i < sounds.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(HeardFile::All(heard.left, std::max<size_t>(i * kTenth, 221), (i + 1) * kTenth, quarter));
  }
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
  // A 22.05 kHz buffer is heard at its own speed: each of its frames twice at 44.1 kHz; from the
  // end of its 5 ms fade-in on.
  EXPECT_TRUE(HeardFile::All(heard.left, 221, kTenth, static_cast<int>(std::lround(0.5 * 32767 * 0.1))));
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

// The file keeps the clock's time when the clock starts again (tests do): it goes on from there
// without waiting for the old time to come back. (The file is written up to the clock at every
// change to what plays; the mixer's hold stands for such a change here.)
TEST_F(SoundOutputTest, TheFileGoesOnWhenTheClockStartsAgain) {
  auto writeUpToNow = [] { audio::Mixer::Instance().Hold(); };
  AdvanceSeconds(0.1);
  writeUpToNow();
  machine::clock::UseVirtual();  // back to the start of virtual time
  writeUpToNow();
  AdvanceSeconds(0.1);
  const HeardFile heard = Heard();
  EXPECT_EQ(heard.left.size(), 2 * kTenth);
}

// However many graphs a process makes, one soundtrack is heard: the graph that runs last.
TEST_F(SoundOutputTest, OneSoundtrackPerProcess) {
  temp_.Write("first.wav", Wave(2, 44100, 16, 10 * kTenth, 4000));
  temp_.Write("second.wav", Wave(2, 44100, 16, 10 * kTenth, 12000));
  IGraphBuilder* graphs[2] = {};
  for (IGraphBuilder*& graph : graphs)
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
  auto run = [&](IGraphBuilder* graph, const char* name) {
    graph->RenderFile(temp_.Wide(name).c_str(), nullptr);
    IMediaControl* control = nullptr;
    graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
    control->Run();
    control->Release();
  };
  run(graphs[0], "first.wav");
  AdvanceSeconds(0.1);
  run(graphs[1], "second.wav");
  AdvanceSeconds(0.1);
  graphs[1]->Release();
  AdvanceSeconds(0.1);
  graphs[0]->Release();
  const HeardFile heard = Heard();
  EXPECT_TRUE(HeardFile::All(heard.left, 0, kTenth, static_cast<int>(std::lround(4000 / 32768.0 * 32767))));
  EXPECT_TRUE(HeardFile::All(heard.left, kTenth, 2 * kTenth, static_cast<int>(std::lround(12000 / 32768.0 * 32767))));
  EXPECT_TRUE(HeardFile::All(heard.left, 2 * kTenth, 3 * kTenth, 0)) << "the first does not come back";
}

}  // namespace
