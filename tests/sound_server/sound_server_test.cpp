// The speakers: a real sound server, started by the test with a null sink, receives the mix, which
// is then found in a recording of the sink's monitor; one process of a user plays at a time; with no
// server the run goes on silently, saying so in one line.
#include <gtest/gtest.h>
#include <pulse/error.h>
#include <pulse/sample.h>
#include <pulse/simple.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/audio/pcm_stream.h"
#include "platform/audio/sound_lock.h"
#include "tests/sound_server/session_folders.h"

extern char** environ;

namespace {

// A tone of `hertz` at half scale, one second, stereo 16-bit at 44.1 kHz.
std::unique_ptr<audio::PcmStream> Tone(double hertz) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 44100; ++i) {
    const auto value = static_cast<int16_t>(16384 * std::sin(2 * M_PI * hertz * i / 44100.0));
    for (int c = 0; c < 2; ++c) {
      bytes.push_back(static_cast<uint8_t>(value));
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8));
    }
  }
  return std::make_unique<audio::PcmStream>(audio::PcmFormat{audio::SampleType::Signed16, 2, 44100, 4},
                                            std::move(bytes));
}

class SoundServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string home = runtime_.Path() + "/home";
    mkdir(home.c_str(), 0700);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    server_address_ = "unix:" + Socket();
    setenv("PULSE_SERVER", server_address_.c_str(), 1);
    StartServer();
  }
  void TearDown() override {
    audio::Mixer::Instance().CloseOutput();
    unsetenv("PULSE_SERVER");
    StopServer(SIGTERM);
  }

  std::string Socket() const { return runtime_.Path() + "/native"; }

  // A server of the test's own, not as the system's, that never exits when idle; it listens on the
  // socket in the test's runtime folder.
  void StartServer() {
    std::vector<std::string> args = {"pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                                     "--use-pid-file=no", "--log-target=stderr", "--log-level=0",
                                     // As a desktop's server runs: above ordinary programs, where allowed.
                                     "--high-priority=yes", "--realtime=yes",
                                     "-L", "module-null-sink sink_name=copperleaf",
                                     "-L", "module-native-protocol-unix socket=" + Socket() + " auth-anonymous=1"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&server_, "pulseaudio", nullptr, nullptr, argv.data(), environ) != 0) {
      server_ = 0;
      GTEST_SKIP() << "no PulseAudio server could be started: the pulseaudio program is missing";
    }
    for (int i = 0; i < 500 && !std::filesystem::exists(Socket()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!std::filesystem::exists(Socket()))
      GTEST_SKIP() << "no PulseAudio server could be started: its socket never appeared";
  }
  void StopServer(int signal) {
    if (server_ <= 0) return;
    kill(server_, signal);
    waitpid(server_, nullptr, 0);
    server_ = 0;
    std::filesystem::remove(Socket());
  }

  // The null sink's monitor for `seconds` while `during` runs, left channel, full scale 1.
  std::vector<double> RecordLeft(double seconds, const std::function<void()>& during) {
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, 44100, 2};
    int error = 0;
    // Small fragments, so that the null sink runs at a short latency rather than in long blocks.
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(20'000, &spec));
    pa_simple* recorder = pa_simple_new(server_address_.c_str(), "copperleaf test", PA_STREAM_RECORD,
                                        "copperleaf.monitor", "monitor", &spec, nullptr, &attributes, &error);
    EXPECT_NE(recorder, nullptr) << pa_strerror(error);
    if (recorder == nullptr) return {};
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100) * 2);
    std::thread player(during);
    pa_simple_read(recorder, samples.data(), samples.size() * sizeof(int16_t), &error);
    player.join();
    pa_simple_free(recorder);
    std::vector<double> left;
    for (size_t i = 0; i < samples.size(); i += 2) left.push_back(samples[i] / 32768.0);
    return left;
  }

  // Seconds from now until the half-scale tone is heard in the monitor (a tenth of a second at its
  // level), reading it a tenth at a time; negative when it is not heard within `limit`. The monitor
  // may deliver nothing while nothing plays, so the clock, not the recording, tells the time.
  double SecondsUntilHeard(double limit) {
    const auto start = std::chrono::steady_clock::now();
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, 44100, 2};
    int error = 0;
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(20'000, &spec));
    pa_simple* recorder = pa_simple_new(server_address_.c_str(), "copperleaf test", PA_STREAM_RECORD,
                                        "copperleaf.monitor", "monitor", &spec, nullptr, &attributes, &error);
    EXPECT_NE(recorder, nullptr) << pa_strerror(error);
    if (recorder == nullptr) return -1;
    std::vector<int16_t> chunk(4410 * 2);
    double heard = -1;
    for (double elapsed = 0; elapsed < limit && heard < 0;) {
      if (pa_simple_read(recorder, chunk.data(), chunk.size() * sizeof(int16_t), &error) < 0) break;
      double power = 0;
      for (size_t i = 0; i < chunk.size(); i += 2) power += (chunk[i] / 32768.0) * (chunk[i] / 32768.0);
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (power / 4410 > 0.06 && elapsed <= limit) heard = elapsed;
    }
    pa_simple_free(recorder);
    return heard;
  }

  // Lines the program wrote, among the sound library's and the server's own, but for the count of
  // times the server ran out of sound: a stall of the machine may bring one about at any moment,
  // and the tests that count lines are about what the output tells of the server and the lock.
  static long OurLines(const std::string& said) {
    constexpr std::string_view kUnderruns = "copperleaf: the sound server ran out of sound";
    long lines = 0;
    for (size_t at = said.find("copperleaf:"); at != std::string::npos; at = said.find("copperleaf:", at + 1))
      lines += said.compare(at, kUnderruns.size(), kUnderruns) != 0;
    return lines;
  }

  // The second at which the half-scale tone is first heard (a tenth of a second at its level), or
  // a negative number when it never is.
  static double FirstHeard(const std::vector<double>& left) {
    constexpr size_t kWindow = 4410;
    for (size_t at = 0; at + kWindow <= left.size(); at += kWindow / 4) {
      double power = 0;
      for (size_t i = at; i < at + kWindow; ++i) power += left[i] * left[i];
      if (power / kWindow > 0.06) return static_cast<double>(at) / 44100;
    }
    return -1;
  }

  // Records the null sink's monitor for `seconds` while `during` runs; the mean square of the
  // recording's second half on the left, and how much stronger 1 kHz is there than its neighbours
  // 600 Hz and 1500 Hz (a measure that a busy machine's dropouts do not spoil).
  struct Heard {
    double power = 0;
    double toneOverNeighbours = 0;
  };
  // The strength of `hertz` in `left` (Goertzel's single-bin transform).
  static double Strength(const std::vector<double>& left, double hertz) {
    const double coefficient = 2 * std::cos(2 * M_PI * hertz / 44100);
    double s1 = 0;
    double s2 = 0;
    for (double x : left) {
      const double s0 = x + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  }
  // A busy machine may delay the output's start by a second or two: the recording runs that much
  // longer, and the measure is taken over the second half of `seconds` counted from when the
  // tone is first heard (from the recording's start when it never is).
  Heard Record(double seconds, const std::function<void()>& during) {
    constexpr double kStartRoom = 2.0;
    const std::vector<double> whole = RecordLeft(seconds + kStartRoom, during);
    Heard heard;
    if (whole.empty()) return heard;
    const double first = std::max(FirstHeard(whole), 0.0);
    const auto from = static_cast<std::ptrdiff_t>((first + seconds / 2) * 44100);
    const auto to = static_cast<std::ptrdiff_t>(std::min<double>((first + seconds) * 44100, whole.size()));
    if (to <= from) return heard;
    const std::vector<double> left(whole.begin() + from, whole.begin() + to);
    for (double x : left) heard.power += x * x;
    heard.power /= static_cast<double>(left.size());
    heard.toneOverNeighbours = Strength(left, 1000) / std::max({Strength(left, 600), Strength(left, 1500), 1e-9});
    return heard;
  }

  // The tone as the music voice, until the test ends.
  void PlayTone() {
    auto held = audio::Mixer::Instance().Hold();
    music_.SetSource(tone_.get());
    music_.Start(0, true);
    audio::Mixer::Instance().SetMusic(&music_);
  }
  void StopTone() {
    auto held = audio::Mixer::Instance().Hold();
    audio::Mixer::Instance().DropMusic(&music_);
    music_.SetSource(nullptr);
  }

  std::unique_ptr<audio::PcmStream> tone_ = Tone(1000);
  audio::Voice music_;
  RuntimeFolder runtime_;
  pid_t server_ = 0;
  std::string server_address_;
};

// Music reaches the speakers: a looping 1 kHz tone is found in the sink's monitor at its level
// (half scale: a mean square of 1/8, less whatever a busy machine drops) and pitch. While another process of
// the user holds the speakers, this one keeps silent. When the server goes away during the run, the
// mix goes on silently with one line on standard error.
TEST_F(SoundServerTest, TheMixIsHeardOnlyOneProcessPlaysAndALostServerIsSilence) {
  audio::Mixer& mixer = audio::Mixer::Instance();
  PlayTone();
  mixer.CloseOutput();  // the mixer's first use opened the speakers already
  {
    audio::SoundLock other;  // as another screensaver process of the user would hold it
    ASSERT_TRUE(other.Held());
    const Heard silent = Record(1.0, [&] { mixer.UseSpeakers(); });
    EXPECT_LT(silent.power, 1e-6);
    mixer.CloseOutput();
  }
  const Heard heard = Record(1.5, [&] { mixer.UseSpeakers(); });
  EXPECT_GT(heard.power, 0.06);
  EXPECT_LT(heard.power, 0.14);
  EXPECT_GT(heard.toneOverNeighbours, 100);

  testing::internal::CaptureStderr();
  StopServer(SIGKILL);
  // The output hears of the loss from the closed connection; a loaded machine may take a while.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  StopTone();
  mixer.CloseOutput();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(OurLines(said), 1) << said;
  EXPECT_NE(said.find("went away"), std::string::npos) << said;
}

// A server that comes after the program, and one that comes back after it was killed, carry the
// music: the output asks again every few seconds, without a word after its first line.
TEST_F(SoundServerTest, AServerThatComesLateOrComesBackCarriesTheMusic) {
  testing::internal::CaptureStderr();
  StopServer(SIGTERM);
  PlayTone();
  audio::Mixer::Instance().UseSpeakers();
  std::this_thread::sleep_for(std::chrono::seconds(4));
  StartServer();
  const double late = SecondsUntilHeard(6.0);
  EXPECT_GE(late, 0) << "the music did not come within 10 s of the program's start";

  StopServer(SIGKILL);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  StartServer();
  EXPECT_GE(SecondsUntilHeard(6.0), 0) << "the music never came back after the server did";
  StopTone();
  audio::Mixer::Instance().CloseOutput();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(OurLines(said), 1) << said;
}

// While another process of the user holds the speakers this one is silent; once that one has gone,
// this one plays.
TEST_F(SoundServerTest, ASecondInstanceSoundsOnceTheFirstHasGone) {
  PlayTone();
  auto first = std::make_unique<audio::SoundLock>();  // as the first screensaver process holds it
  ASSERT_TRUE(first->Held());
  audio::Mixer::Instance().UseSpeakers();
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    first.reset();
  });
  const double heard = SecondsUntilHeard(6.0);
  release.join();
  EXPECT_GT(heard, 0.9) << "the second instance must keep silent while the first plays";
  EXPECT_GE(heard, 0) << "the second instance never played";
  StopTone();
}

// Outside a desktop session, with a link planted where the lock's private folder goes, the lock
// cannot be had: the run says so in one line and plays, and nothing is made through the link.
TEST_F(SoundServerTest, APlantedLinkInPlaceOfTheLockFolderIsToldOnceAndTheMusicPlays) {
  const TemporaryFolder temp(runtime_);
  const std::string elsewhere = runtime_.Path() + "/elsewhere";
  mkdir(elsewhere.c_str(), 0700);
  const std::string place = temp.Path() + "/copperleaf-" + std::to_string(getuid());
  ASSERT_EQ(symlink(elsewhere.c_str(), place.c_str()), 0);
  unsetenv("XDG_RUNTIME_DIR");  // the server is named by $PULSE_SERVER
  PlayTone();
  testing::internal::CaptureStderr();
  audio::Mixer::Instance().UseSpeakers();
  // It must play; how soon is the machine's (a first connection refused is tried again 2 s later).
  const double heard = SecondsUntilHeard(6.0);
  StopTone();
  audio::Mixer::Instance().CloseOutput();
  audio::Mixer::Instance().UseSpeakers();  // a second output of the run says nothing again
  audio::Mixer::Instance().CloseOutput();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_GE(heard, 0) << "the run must play without the lock";
  EXPECT_EQ(OurLines(said), 1) << said;
  EXPECT_NE(said.find(place + " is not a folder of this user's alone"), std::string::npos) << said;
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

// Stalls of the machine itself while it runs. A shared virtual machine is now and then stopped by
// its host, one processor or all, for longer than any buffer: the host's time shows as each
// processor's stolen time in /proc/stat. A stall is 100 ms stolen from one processor within 300 ms,
// or a thread of ordinary priority that sleeps 10 ms at a time woken over 150 ms late; its length is
// the most stolen or the latest wake.
class StallWatch {
 public:
  StallWatch() : thread_([this] { Watch(); }) {}
  ~StallWatch() {
    running_ = false;
    thread_.join();
  }
  int Stalls() const { return stalls_.load(); }
  double LongestSeconds() const { return longest_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kNap = std::chrono::milliseconds(10);
  static constexpr auto kWindow = std::chrono::milliseconds(300);
  static constexpr double kStolen = 0.1;
  static constexpr double kLate = 0.15;

  // Each processor's stolen time so far, in seconds.
  static std::vector<double> Stolen() {
    std::vector<double> stolen;
    std::ifstream stat("/proc/stat");
    for (std::string line; std::getline(stat, line);) {
      if (line.rfind("cpu", 0) != 0 || line.size() < 4 || line[3] == ' ') continue;
      // user, nice, system, idle, iowait, irq, softirq, then steal, in clock ticks
      std::istringstream fields(line.substr(line.find(' ')));
      long long value = 0;
      for (int field = 0; field < 8; ++field) fields >> value;
      stolen.push_back(static_cast<double>(value) / static_cast<double>(sysconf(_SC_CLK_TCK)));
    }
    return stolen;
  }

  void Watch() {
    std::deque<std::pair<Clock::time_point, std::vector<double>>> recent;
    auto before = Clock::now();
    bool stalled = false;
    while (running_) {
      std::this_thread::sleep_for(kNap);
      const auto now = Clock::now();
      double worst = std::chrono::duration<double>(now - before - kNap).count();
      bool stall = worst > kLate;
      before = now;
      recent.emplace_back(now, Stolen());
      while (now - recent.front().first > kWindow) recent.pop_front();
      const auto& first = recent.front().second;
      const auto& last = recent.back().second;
      for (size_t cpu = 0; cpu < std::min(first.size(), last.size()); ++cpu) {
        worst = std::max(worst, last[cpu] - first[cpu]);
        stall = stall || last[cpu] - first[cpu] >= kStolen;
      }
      if (stall && !stalled) ++stalls_;
      stalled = stall;
      if (stall && worst > longest_.load()) longest_ = worst;
    }
  }

  std::atomic<bool> running_{true};
  std::atomic<int> stalls_{0};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

// How many times the output said the server ran out of sound.
long Underruns(const std::string& said) {
  const std::string told = "ran out of sound ";
  const size_t at = said.find(told);
  return at == std::string::npos ? 0 : std::strtol(said.c_str() + at + told.size(), nullptr, 10);
}

// Threads that keep every core busy for a minute do not make the speakers run dry: the monitor's
// recording of the tone has no silence, and the output saw no underrun. Only a stall of the
// machine may empty the server's buffer (200 ms): once at most for each, and for no longer.
TEST_F(SoundServerTest, AMinuteOnABusyMachineHasNoDropout) {
#ifdef __SANITIZE_ADDRESS__
  // The sanitizers slow the mixer several times over: what it would show is theirs, not the program's.
  GTEST_SKIP() << "the timing of a sanitized build says nothing of the program's";
#endif
  PlayTone();
  testing::internal::CaptureStderr();
  audio::Mixer::Instance().UseSpeakers();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::atomic<bool> busy{true};
  std::vector<std::thread> load;
  for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
    load.emplace_back([&] {
      volatile double x = 1;
      while (busy.load(std::memory_order_relaxed)) x = x * 1.0000001 + 1e-9;
    });
  std::vector<double> left;
  double stall = 0;
  int stalls = 0;
  {
    const StallWatch watch;
    left = RecordLeft(60.0, [] {});
    stall = watch.LongestSeconds();
    stalls = watch.Stalls();
  }
  busy = false;
  for (auto& thread : load) thread.join();
  StopTone();
  audio::Mixer::Instance().CloseOutput();
  const std::string said = testing::internal::GetCapturedStderr();
  // The recording starts before the first of the mix has reached the sink; from the tone's start
  // on, a run of 5 ms at zero is a dropout (the tone crosses zero once in each half period).
  const double start = FirstHeard(left);
  ASSERT_GE(start, 0) << "the tone was never heard";
  size_t longest = 0;
  size_t run = 0;
  for (size_t i = static_cast<size_t>((start + 0.2) * 44100); i < left.size(); ++i) {
    run = std::fabs(left[i]) < 1e-4 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_LT(longest, 220u + static_cast<size_t>(stall * 44100))
      << "the longest silence, in frames; the machine's longest stall " << stall << " s";
  EXPECT_LE(Underruns(said), stalls) << said << "while the machine stalled " << stalls << " times";
}

}  // namespace

// A sound lock is held by one holder at a time, in this process or another, and is free again when
// its holder goes.
TEST(SoundLock, OneHolderPerUser) {
  RuntimeFolder runtime;
  auto first = std::make_unique<audio::SoundLock>();
  ASSERT_TRUE(first->Held());
  EXPECT_EQ(audio::SoundLock::Path(), runtime.Path() + "/copperleaf-sound.lock");
  EXPECT_FALSE(audio::SoundLock().Held());
  const pid_t child = fork();
  if (child == 0) _exit(audio::SoundLock().Held() ? 1 : 0);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process must not get the lock";
  first.reset();
  EXPECT_TRUE(audio::SoundLock().Held());

  // A link planted under the lock's name is not followed.
  const std::string target = runtime.Path() + "/elsewhere";
  unlink(audio::SoundLock::Path().c_str());
  ASSERT_EQ(symlink(target.c_str(), audio::SoundLock::Path().c_str()), 0);
  EXPECT_FALSE(audio::SoundLock().Held());
  EXPECT_FALSE(std::filesystem::exists(target));
}

// Without a server the speakers are silent at once, with one line on standard error however often
// the output is asked for, and nothing waits; outside a desktop session (no runtime folder, no
// server named) nothing is even left behind in the temporary folder.
TEST(SoundServer, NoServerMeansOneLineAndSilence) {
  RuntimeFolder runtime;
  const TemporaryFolder temp(runtime);
  testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  setenv("PULSE_SERVER", ("unix:" + runtime.Path() + "/nobody-here").c_str(), 1);
  audio::Mixer::Instance().UseSpeakers();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  unsetenv("PULSE_SERVER");
  unsetenv("XDG_RUNTIME_DIR");
  audio::Mixer::Instance().UseSpeakers();
  const auto took = std::chrono::steady_clock::now() - start;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  audio::Mixer::Instance().CloseOutput();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_LT(took, std::chrono::milliseconds(700));
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("silently"), std::string::npos) << said;
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}
