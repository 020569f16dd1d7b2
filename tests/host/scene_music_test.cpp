// The soundtrack as a listener hears it through the sound file: the playlist plays its files in
// turn and starts over, a device reset in the middle of the run does not silence it, and the error
// box does.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/dshow/graph_probe.h"
#include "slideshow/audio_file.h"
#include "slideshow/slide_show.h"
#include "tests/host/sound_file_test.h"

namespace {

constexpr size_t kTenth = 4410;  // output frames in 0.1 s

// A stereo 16-bit 44.1 kHz WAVE file of `frames` frames of `value`.
void WriteWave(const std::string& path, uint32_t frames, int16_t value) {
  std::ofstream out(path, std::ios::binary);
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(v >> (8 * i)));
  };
  out.write("RIFF", 4);
  put(36 + frames * 4, 4);
  out.write("WAVEfmt ", 8);
  put(16, 4);
  put(1, 2);
  put(2, 2);
  put(44100, 4);
  put(44100 * 4, 4);
  put(4, 2);
  put(16, 2);
  out.write("data", 4);
  put(frames * 4, 4);
  for (uint32_t i = 0; i < frames * 2; ++i) put(static_cast<uint16_t>(value), 2);
}

int Level(int16_t value) { return static_cast<int>(std::lround(value / 32768.0 * 32767)); }

class SceneMusicTest : public SoundFileTest {
 protected:
  std::u16string Wide(const std::string& name) const {
    const std::string path = folder_ + "/" + name;
    return std::u16string(path.begin(), path.end());
  }
};

LRESULT CALLBACK Quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// Three files of a tenth of a second each play 1, 2, 3 and then 1 again, each right after the one
// before it ends.
TEST_F(SceneMusicTest, ThePlaylistPlaysItsFilesInTurnAndStartsOver) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Quiet;
  windowClass.lpszClassName = u"PlaylistWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"PlaylistWindow", u"main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(AudioPlayer::Init(window));
  const int16_t values[] = {4000, 8000, 12000};
  MonitorScene scene;
  scene.sceneRoot = std::make_unique<DS_SlideShow_Light>();
  for (int i = 0; i < 3; ++i) {
    const std::string name = "music" + std::to_string(i + 1) + ".wav";
    WriteWave(folder_ + "/" + name, kTenth, values[i]);
    auto* entry = new DS_AudioFile();
    entry->file.name = Wide(name);
    scene.sceneRoot->audioFiles.push_back(CountedPtr<DS_AudioFile>(entry));
  }
  scene.StartPlaylist();
  for (int step = 0; step < 8; ++step) {
    machine::clock::Advance(50'000'000);
    dshow::ServiceClock();
    for (LONG code = AudioPlayer::GetEvent(); code != -1; code = AudioPlayer::GetEvent()) scene.OnGraphEvent(code);
  }
  const HeardFile heard = Heard();
  ASSERT_GE(heard.left.size(), 4 * kTenth);
  const int order[] = {0, 1, 2, 0};
  for (int turn = 0; turn < 4; ++turn) {
    SCOPED_TRACE(turn);
    EXPECT_TRUE(HeardFile::All(heard.left, turn * kTenth, (turn + 1) * kTenth, Level(values[order[turn]])));
  }
}

// A device reset in the middle of the run keeps the music playing; closing the window, the normal
// end of the run, silences everything at once.
TEST_F(SceneMusicTest, TheMusicPlaysOnThroughADeviceResetUntilTheRunEnds) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.deviceNotResetFromFrame = 40;
  machine::Install(m);
  WriteWave(folder_ + "/long.wav", 44100 * 60, 6000);
  SceneProbe saver;
  int releasesAtPlay = -1;
  bool playingAfterReset = false;
  size_t frameAfterReset = 0;
  size_t frameOfClose = 0;
  saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
    if (frame == 10) {
      AudioPlayer::Play(Wide("long.wav").c_str());
      releasesAtPlay = s.releases;
    }
    if (releasesAtPlay >= 0 && s.releases > releasesAtPlay && frameAfterReset == 0) {
      const auto graphs = dshow::Graphs();
      playingAfterReset = graphs.size() == 1 && graphs[0].playing == Wide("long.wav");
      frameAfterReset = FrameAt(machine::clock::Now());
    }
    if (frame == 60) {
      PostMessageW(s.m_mainWindow, WM_CLOSE, 0, 0);
      frameOfClose = FrameAt(machine::clock::Now());
    }
  };
  saver.Start(u"s /t");
  ASSERT_FALSE(saver.stoppedBySafety);
  ASSERT_GT(saver.releases, releasesAtPlay) << "the run must have reset its device";
  EXPECT_TRUE(playingAfterReset);
  EXPECT_TRUE(dshow::Graphs().empty()) << "the end of the run releases the player";
  machine::clock::Advance(200'000'000);
  const HeardFile heard = Heard();
  ASSERT_GE(heard.right.size(), frameOfClose + 2 * kTenth);
  ASSERT_GT(frameOfClose, frameAfterReset + kTenth);
  EXPECT_NE(heard.right[frameAfterReset + kTenth / 2], 0) << "music after the reset";
  // The close is handled within the next turn of the loop (30 ms); from then on nothing sounds.
  const size_t handled = frameOfClose + kTenth / 2;
  EXPECT_TRUE(HeardFile::All(heard.right, handled, heard.right.size(), 0));
  EXPECT_TRUE(HeardFile::All(heard.left, handled, heard.left.size(), 0));
}

// The error box ends the soundtrack: with every resource creation failing, the music that played
// while the device had its tries stops with the box's first turn, and the player is released.
TEST_F(SceneMusicTest, TheErrorBoxStopsAndReleasesTheMusic) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.failResourceCreation = true;
  machine::Install(m);
  WriteWave(folder_ + "/long.wav", 44100 * 60, 6000);
  SceneProbe saver;
  size_t frameOfPlay = 0, frameOfBox = 0;
  int turnsWithBox = 0;
  bool releasedUnderTheBox = false;
  saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
    if (frame == 3) {
      // The slide's own sound effects are no music: switched off, the music is all there is to hear.
      if (DS_SlideContainer* slide = s.Scene(0).sceneRoot->currentSlide.Get()) slide->SetActive(false);
      AudioPlayer::Play(Wide("long.wav").c_str());
      frameOfPlay = FrameAt(machine::clock::Now());
    }
  };
  saver.stopWhen = [&](SceneProbe& s) {
    if (s.m_errorText[0] == 0) return s.frames[0] >= 20;
    if (turnsWithBox++ == 0) frameOfBox = FrameAt(machine::clock::Now());
    if (turnsWithBox < 10) return false;
    releasedUnderTheBox = dshow::Graphs().empty();
    return true;
  };
  saver.Start(u"s /t");
  machine::Install(machine::DefaultMachine());
  ASSERT_FALSE(saver.stoppedBySafety);
  ASSERT_EQ(std::u16string(saver.m_errorText), u"Not enough video memory.");
  EXPECT_TRUE(releasedUnderTheBox);
  const HeardFile heard = Heard();
  ASSERT_GT(frameOfPlay, 0u);
  ASSERT_GE(heard.right.size(), frameOfBox + 2 * kTenth);
  EXPECT_NE(heard.right[frameOfPlay + kTenth / 10], 0) << "music before the box";
  EXPECT_TRUE(HeardFile::All(heard.right, frameOfBox + kTenth / 2, frameOfBox + 2 * kTenth, 0));
}

}  // namespace
