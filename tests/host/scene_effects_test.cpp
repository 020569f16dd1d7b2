// The sound effects as a listener hears them through the sound file: one set per process however
// many monitors show the scene, with the soundtrack started once; a muted setting silent through a
// device reset and the end of the run; and an effect that starts or stops fading over a few
// milliseconds rather than clicking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/dshow/graph_probe.h"
#include "platform/dsound/sound_sink.h"
#include "platform/machine/clock.h"
#include "sound/sound_device.h"
#include "tests/host/sound_file_test.h"

namespace {

constexpr int64_t kSecond = 1'000'000'000;

size_t FrameOf(int64_t since) { return static_cast<size_t>(since * 441 / 10'000'000); }

// The root mean square of the differences between neighbouring samples: the crackle's level, far
// above the soundtrack's in the highest frequencies.
double Highs(const HeardFile& heard, size_t from, size_t to) {
  to = std::min(to, heard.left.size());
  double sum = 0;
  for (size_t i = from + 1; i < to; ++i) {
    const double l = heard.left[i] - heard.left[i - 1], r = heard.right[i] - heard.right[i - 1];
    sum += l * l + r * r;
  }
  return to > from + 1 ? std::sqrt(sum / (2.0 * static_cast<double>(to - from - 1))) : 0.0;
}

using SceneEffectsTest = SoundFileTest;

// The campfire's crackle is as loud with two monitors as with one, the process holds one buffer per
// effect, and the soundtrack plays on from the first scene's start when the second monitor's scene
// starts a second later.
TEST_F(SceneEffectsTest, TwoMonitorsSoundAsOneAndStartTheMusicOnce) {
  struct Run {
    double highs = 0;
    size_t buffers = 0;
    double musicBehind = 0;  // seconds the soundtrack is behind the first scene's start
  };
  auto play = [&](int monitors) {
    Run run;
    machine::Install(MachineWithMonitors(monitors, 640, 480));
    HearFromNow();
    int64_t sceneStart = -1;
    SceneProbe saver;
    saver.afterSelect = [&](SceneProbe& s, UINT device) {
      // The second monitor's scene starts a second after the first: a slow load.
      if (device == 1 && s.frames[1] == 1 && !s.Scene(1).started) machine::clock::Advance(kSecond);
    };
    saver.afterRender = [&](SceneProbe&, UINT device, int frame) {
      if (device == 0 && frame == 2) sceneStart = machine::clock::Now();
    };
    saver.stopWhen = [&](SceneProbe&) {
      if (sceneStart < 0 || machine::clock::Now() - sceneStart <= 5 * kSecond) return false;
      run.buffers = dsound::SecondaryBuffers().size();
      const auto graphs = dshow::Graphs();
      if (graphs.size() == 1)
        run.musicBehind = static_cast<double>(machine::clock::Now() - sceneStart) / kSecond -
                          static_cast<double>(graphs[0].position) / 1e7;
      return true;
    };
    saver.maxTurns = 2000;
    saver.Start(u"s /s");
    EXPECT_FALSE(saver.stoppedBySafety);
    EXPECT_FALSE(saver.m_errorMode);
    const HeardFile heard = Heard();
    run.highs = Highs(heard, FrameAt(sceneStart + 2 * kSecond), FrameAt(sceneStart + 5 * kSecond));
    return run;
  };
  const Run one = play(1);
  const Run two = play(2);
  ASSERT_GT(one.highs, 0);
  EXPECT_LT(std::fabs(20 * std::log10(two.highs / one.highs)), 1.0) << one.highs << " and " << two.highs;
  EXPECT_GT(one.buffers, 0u);
  EXPECT_EQ(two.buffers, one.buffers) << "one buffer per effect, however many monitors";
  EXPECT_LT(std::fabs(two.musicBehind), 0.1) << "the second scene's start must not restart the music";
}

// With "MuteSound" 1, nothing is heard from the first frame to the end of the run, through a device
// reset in the middle and the release at the end: neither the effects nor the soundtrack.
TEST_F(SceneEffectsTest, AMutedRunIsSilentThroughAResetAndTheExit) {
  machine::Machine m = machine::DefaultMachine();
  m.faults.deviceNotResetFromFrame = 40;
  machine::Install(m);
  HearFromNow();
  // A release takes its time, as a real device's reset and the end of a run do.
  struct SlowRelease : SceneProbe {
    HRESULT ReleaseDeviceResources() override {
      const HRESULT released = SceneProbe::ReleaseDeviceResources();
      machine::clock::Advance(kSecond / 50);
      return released;
    }
  } saver;  // which names the settings key
  StoreSetting(kMuteSoundValue, 1);
  saver.afterRender = [](SceneProbe& s, UINT, int frame) {
    if (frame == 80) PostMessageW(s.m_mainWindow, WM_CLOSE, 0, 0);
  };
  saver.Start(u"s /t");
  ASSERT_FALSE(saver.stoppedBySafety);
  ASSERT_GT(saver.releases, 1) << "the run must have reset its device";
  ASSERT_GT(dsound::SecondaryBuffers().size(), 0u) << "the effects must have been made";
  machine::clock::Advance(kSecond / 5);
  const HeardFile heard = Heard();
  ASSERT_GT(heard.left.size(), 44100u);
  EXPECT_TRUE(HeardFile::All(heard.left, 0, heard.left.size(), 0));
  EXPECT_TRUE(HeardFile::All(heard.right, 0, heard.right.size(), 0));
}

// An effect far from zero (the worst case for a click) rises at its start, falls at its stop and
// crosses over when it starts again while it sounds, each within 5 ms and in steps no larger than
// that fade allows.
TEST_F(SceneEffectsTest, StartsAndStopsFadeOverAFewMilliseconds) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"EffectsWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"EffectsWindow", u"main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(SoundDevice::Init(window));
  // The device is the process's: a scene played before in this process left it stopped and silent.
  SoundDevice::SetPrimaryVolume(0);
  ASSERT_EQ(SoundDevice::primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  constexpr int16_t kLevel = 16000;
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
  DSBUFFERDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_CTRLVOLUME;
  description.dwBufferBytes = 44100 * 4;
  description.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(SoundDevice::device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
  void* part = nullptr;
  DWORD bytes = 0;
  ASSERT_EQ(buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  // From the level down to its opposite over the second: a restart jumps back up.
  auto content = [&](size_t frame) { return static_cast<int>(kLevel - static_cast<int64_t>(frame) * 2 * kLevel / 44100); };
  auto* samples = static_cast<int16_t*>(part);
  for (DWORD i = 0; i < bytes / 2; ++i) samples[i] = static_cast<int16_t>(content(i / 2));
  buffer->Unlock(part, bytes, nullptr, 0);

  const int64_t start = machine::clock::Now();
  machine::clock::Advance(kSecond / 10);
  buffer->Play(0, 0, DSBPLAY_LOOPING);
  machine::clock::Advance(kSecond / 5);
  buffer->SetCurrentPosition(0);
  buffer->Play(0, 0, DSBPLAY_LOOPING);
  machine::clock::Advance(kSecond / 5);
  buffer->Stop();
  machine::clock::Advance(kSecond / 10);
  buffer->Release();
  const HeardFile heard = Heard();
  ASSERT_GE(heard.left.size(), FrameOf(machine::clock::Now() - start));

  // The fade's step, with a little room for rounding.
  const int allowed = kLevel / 220 + 2;
  int largest = 0;
  for (size_t i = 1; i < heard.left.size(); ++i) largest = std::max(largest, std::abs(heard.left[i] - heard.left[i - 1]));
  EXPECT_LE(largest, allowed);
  const size_t played = FrameOf(kSecond / 10), stopped = FrameOf(kSecond / 2), fade = 221;
  EXPECT_TRUE(HeardFile::All(heard.left, 0, played, 0));
  EXPECT_NEAR(heard.left[played + fade], content(fade), 2) << "up to its level within 5 ms";
  EXPECT_TRUE(HeardFile::All(heard.left, stopped + fade, heard.left.size(), 0)) << "silent within 5 ms of its stop";
  DestroyWindow(window);
}

}  // namespace
