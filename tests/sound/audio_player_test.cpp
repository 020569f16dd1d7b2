#include "sound/audio_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/dshow/graph_probe.h"
#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "platform/win32/windowing.h"
#include "tests/sound/temp_folder.h"

namespace {

using sound_test::Wave;

constexpr REFERENCE_TIME kSecond = 10'000'000;

LRESULT CALLBACK Quiet(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    win32::ResetWindowing();
    machine::clock::UseVirtual();
    machine::Install(machine::DefaultMachine());
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Quiet;
    windowClass.lpszClassName = u"PlayerWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    window_ = CreateWindowExW(0, u"PlayerWindow", u"main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    temp_.Write("half.wav", Wave(1, 8000, 8, 4000));   // 0.5 s
    temp_.Write("two.wav", Wave(2, 8000, 16, 16000));  // 2 s
    temp_.Write("tune.mp3", sound_test::Mpeg1Layer3(100));
    temp_.Write("text.txt", sound_test::Bytes(500, 'x'));
    ASSERT_TRUE(AudioPlayer::Init(window_));
  }
  void TearDown() override {
    AudioPlayer::Release();
    dshow::RefuseInterface(nullptr);
    dshow::SetFilterGraphAvailable(true);
    win32::ResetWindowing();
    machine::clock::UseReal();
  }

  static dshow::GraphProbe Graph() {
    const auto graphs = dshow::Graphs();
    EXPECT_EQ(graphs.size(), 1u);
    return graphs.empty() ? dshow::GraphProbe{} : graphs[0];
  }
  static size_t Count(const dshow::GraphProbe& graph, bool source) {
    return static_cast<size_t>(std::count_if(graph.filters.begin(), graph.filters.end(),
                                             [&](const dshow::FilterProbe& f) { return source ? f.source : f.renderer; }));
  }
  // The WM_APP notices posted to the main window since the last call.
  int Notices() {
    int count = 0;
    MSG message{};
    while (PeekMessageW(&message, window_, WM_APP, WM_APP, PM_REMOVE)) ++count;
    return count;
  }
  static void Advance(double seconds) {
    machine::clock::Advance(static_cast<int64_t>(seconds * 1e9));
    dshow::ServiceClock();
  }
  void Play(const std::string& name) { AudioPlayer::Play(temp_.Wide(name).c_str()); }

  TempFolder temp_;
  HWND window_ = nullptr;
};

// A file plays on the clock to its end; the end is queued once as EC_COMPLETE and posted once as
// WM_APP to the main window. With no event queued, the player answers -1.
TEST_F(PlayerTest, FileEndIsReportedOnce) {
  Play("half.wav");
  dshow::GraphProbe graph = Graph();
  EXPECT_EQ(graph.playing, temp_.Wide("half.wav"));
  EXPECT_EQ(graph.state, State_Running);
  EXPECT_EQ(graph.duration, kSecond / 2);
  Advance(0.4);
  EXPECT_EQ(Notices(), 0);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1);
  Advance(0.2);
  EXPECT_EQ(Notices(), 1);
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1);
  Advance(5.0);
  EXPECT_EQ(Notices(), 0);
}

// One file loops by seeking back to 0: it plays again to its end without another source filter.
TEST_F(PlayerTest, RewindPlaysTheSameFileAgain) {
  Play("half.wav");
  Advance(0.6);
  ASSERT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
  AudioPlayer::Rewind();
  dshow::GraphProbe graph = Graph();
  EXPECT_EQ(graph.position, 0);
  EXPECT_EQ(graph.state, State_Running);
  EXPECT_EQ(Count(graph, true), 1u);
  Advance(0.3);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1);
  Advance(0.3);
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
  EXPECT_EQ(Count(Graph(), true), 1u);
}

// Each new file undoes the previous chain: the renderer is reused and the previous source leaves
// the graph, so a long run does not collect sources. An MPEG audio file lasts as its frames say.
TEST_F(PlayerTest, NextFileReplacesThePreviousChain) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    Play("half.wav");
    EXPECT_EQ(Graph().duration, kSecond / 2);
    Play("tune.mp3");
    dshow::GraphProbe graph = Graph();
    EXPECT_EQ(graph.playing, temp_.Wide("tune.mp3"));
    EXPECT_NEAR(static_cast<double>(graph.duration) / kSecond, 100 * 1152 / 44100.0, 1e-6);
    EXPECT_EQ(Count(graph, true), 1u);
    EXPECT_EQ(Count(graph, false), 1u);
    Play("two.wav");
    graph = Graph();
    EXPECT_EQ(graph.duration, 2 * kSecond);
    EXPECT_EQ(Count(graph, true), 1u);
    EXPECT_EQ(Count(graph, false), 1u);
  }
  Advance(1.9);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1) << "the earlier files' ends are not reported";
  Advance(0.2);
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
}

// Hundredths of a decibel: 100 is full, each step 40; mute is silence whatever the volume; values
// above 100 stay at full volume.
TEST_F(PlayerTest, VolumeFromTheSettings) {
  Play("two.wav");
  struct Case {
    DWORD volume;
    bool mute;
    LONG expected;
  };
  const Case cases[] = {{100, false, 0},     {50, false, -2000},   {0, false, -4000}, {1, false, -3960},
                        {100, true, -10000}, {0, true, -10000},    {250, false, 0},   {0xFFFFFFFF, false, 0}};
  const DWORD saved = g_SoundVolume;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << (c.mute ? " muted" : ""));
    g_SoundVolume = c.volume;
    AudioPlayer::ApplyVolume(c.mute);
    EXPECT_EQ(Graph().volume, c.expected);
  }
  g_SoundVolume = saved;
}

// A file the graph cannot render, or one that is not there, falls back to rendering the path, which
// fails: nothing plays and nothing is left in the graph, and the file ends at once so that the
// playlist goes on. When the file before ended the same way, the end comes a second later, so a
// playlist of such files cannot spin; a file that plays resets that.
TEST_F(PlayerTest, UnplayableFilesEndAtOnceWithoutSpinning) {
  Play("two.wav");
  Advance(0.5);
  for (const char* name : {"text.txt", "absent.mp3"}) {
    SCOPED_TRACE(name);
    Play(name);
    const dshow::GraphProbe graph = Graph();
    EXPECT_TRUE(graph.playing.empty());
    EXPECT_LE(Count(graph, true), 1u);
  }
  // The first ended at once; the second waits its second.
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1);
  EXPECT_EQ(Notices(), 1);
  Advance(0.9);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1);
  Advance(0.1);
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
  EXPECT_EQ(Notices(), 1);

  Play("half.wav");
  Advance(0.5);
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
  Play("text.txt");
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE) << "after a file that played, the end comes at once again";
  AudioPlayer::Play(nullptr);
}

// Init stops at the first interface it cannot get and keeps the ones before; every operation then
// uses only what it has, and the playlist sees no events.
TEST_F(PlayerTest, PartialInitIsSafe) {
  AudioPlayer::Release();
  for (const IID* refused : {&IID_IMediaControl, &IID_IMediaSeeking, &IID_IMediaEventEx, &IID_IBasicAudio}) {
    dshow::RefuseInterface(refused);
    EXPECT_FALSE(AudioPlayer::Init(window_));
    EXPECT_NE(AudioPlayer::graph, nullptr);
    Play("half.wav");
    AudioPlayer::Rewind();
    AudioPlayer::ApplyVolume(false);
    Advance(1.0);
    AudioPlayer::Stop();
    if (refused == &IID_IBasicAudio) EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
    else EXPECT_EQ(AudioPlayer::GetEvent(), -1);
    AudioPlayer::Release();
    EXPECT_EQ(AudioPlayer::graph, nullptr);
  }
  dshow::RefuseInterface(nullptr);
  dshow::SetFilterGraphAvailable(false);
  EXPECT_FALSE(AudioPlayer::Init(window_));
  EXPECT_EQ(AudioPlayer::graph, nullptr);
  Play("half.wav");
  AudioPlayer::Rewind();
  AudioPlayer::Stop();
  AudioPlayer::ApplyVolume(true);
  EXPECT_EQ(AudioPlayer::GetEvent(), -1);
  EXPECT_TRUE(dshow::Graphs().empty());
}

// On the real clock the graph's own thread notices the end: the message arrives without help.
TEST_F(PlayerTest, EndArrivesOnTheRealClock) {
  machine::clock::UseReal();
  temp_.Write("blip.wav", Wave(1, 8000, 8, 80));  // 10 ms
  Play("blip.wav");
  MSG message{};
  bool arrived = false;
  for (int i = 0; i < 2000 && !arrived; ++i) {
    arrived = PeekMessageW(&message, window_, WM_APP, WM_APP, PM_REMOVE) != FALSE;
    if (!arrived) Sleep(1);
  }
  EXPECT_TRUE(arrived);
  EXPECT_EQ(AudioPlayer::GetEvent(), EC_COMPLETE);
}

}  // namespace
