// Without a display the program still ends on SIGTERM, SIGINT and every other catchable ending as
// closing its window does; what a killed run leaves is removed by the next, and a stalled program
// holding the settings' lock does not hold up the start.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/screensaver/saver_process.h"
#include "tests/support/busy_cores.h"

namespace {

struct HeadlessCase {
  const char* name;
  std::vector<std::string> arguments;
  int signal;
};

void PrintTo(const HeadlessCase& c, std::ostream* os) { *os << c.name; }

class HeadlessSignalTest : public ::testing::TestWithParam<HeadlessCase> {};

// Starts the program headless, writing its frames into a folder of its own, and waits until it
// presented a frame (bounded, so that a broken program cannot hang the suite).
bool StartAndAwaitFrame(SaverProcess& saver, const std::vector<std::string>& arguments,
                        std::map<std::string, std::string> environment = {}) {
  const std::string frames = saver.folder() + "/frames";
  std::filesystem::create_directories(frames);
  environment.emplace("DISPLAY", "");
  environment["COPPERLEAF_FRAMES"] = frames;
  if (!saver.Start(arguments, environment)) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (std::filesystem::is_empty(frames) && kill(saver.pid(), 0) == 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return !std::filesystem::is_empty(frames);
}

// Waits until the run's temporary folder holds a file of the run's own (its soundtrack), bounded.
bool AwaitTemporaryFile(SaverProcess& saver) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (kill(saver.pid(), 0) == 0 && std::chrono::steady_clock::now() < end) {
    for (const std::string& folder : saver.TemporaryFiles()) {
      std::error_code ignored;
      for (const auto& entry : std::filesystem::directory_iterator(saver.folder() + "/tmp/" + folder, ignored)) {
        if (entry.path().filename() != "owner") return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST_P(HeadlessSignalTest, EndsCleanlyOnceItRuns) {
  const HeadlessCase& c = GetParam();
  SaverProcess saver;
  ASSERT_TRUE(StartAndAwaitFrame(saver, c.arguments)) << saver.ErrorOutput();
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), c.signal); });
}

// The other endings a desktop or a shell sends; a second SIGTERM right after the first (a manager
// that asks twice) is the same request, not a sudden end that leaves the soundtrack behind.
class OtherEndingTest : public ::testing::TestWithParam<int> {};

TEST_P(OtherEndingTest, LeavesTheTemporaryFolderEmpty) {
  const int signal = GetParam();
  SaverProcess saver;
  ASSERT_TRUE(StartAndAwaitFrame(saver, {"/s"})) << saver.ErrorOutput();
  ASSERT_TRUE(AwaitTemporaryFile(saver)) << "the run wrote no temporary file to leave behind";
  ExpectCleanEnd(saver, [&] {
    kill(saver.pid(), signal);
    if (signal == SIGTERM) kill(saver.pid(), SIGTERM);
  });
}

INSTANTIATE_TEST_SUITE_P(Signals, OtherEndingTest,
                         ::testing::Values(SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGXCPU, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGTERM ? "RepeatedTERM" : sigabbrev_np(info.param));
                         });

// SIGKILL leaves the run's folder (its soundtrack) behind; the next run removes it as it starts.
TEST(KilledRunTest, ItsFolderIsGoneAfterTheNextStart) {
  SaverProcess killed;
  ASSERT_TRUE(StartAndAwaitFrame(killed, {"/s"})) << killed.ErrorOutput();
  ASSERT_TRUE(AwaitTemporaryFile(killed));
  const std::vector<std::string> left = killed.TemporaryFiles();
  ASSERT_EQ(left.size(), 1u);
  kill(killed.pid(), SIGKILL);
  int status = 0;
  ASSERT_TRUE(killed.WaitForExit(20, &status));
  ASSERT_TRUE(std::filesystem::exists(killed.folder() + "/tmp/" + left.front()));

  // The next run, with the same temporary folder.
  SaverProcess next;
  ASSERT_TRUE(StartAndAwaitFrame(next, {"/s"}, {{"TMPDIR", killed.folder() + "/tmp"}})) << next.ErrorOutput();
  // Started for good once it made its own folder there (its soundtrack written).
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (killed.TemporaryFiles().size() < 2 && std::chrono::steady_clock::now() < end &&
         std::filesystem::exists(killed.folder() + "/tmp/" + left.front())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(std::filesystem::exists(killed.folder() + "/tmp/" + left.front())) << "the killed run's folder is left";
  kill(next.pid(), SIGTERM);
  ASSERT_TRUE(next.WaitForExit(20, &status));
  EXPECT_TRUE(killed.TemporaryFiles().empty());
}

// The samples of a sound file written so far, past its header.
std::vector<int16_t> SoundSamples(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  return samples;
}

// Waits until the sound file holds a sample that is not silence (bounded: on a busy machine the
// music may come seconds after the first frame); whether it does.
bool AwaitSound(const std::string& path) {
  const auto heard = [&] {
    const std::vector<int16_t> samples = SoundSamples(path);
    return std::any_of(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; });
  };
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (!heard() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return heard();
}

// With a temporary folder that cannot be written, the soundtrack goes to the session's runtime
// folder and the music still plays; nothing is left there either.
TEST(UnwritableTemporaryFolderTest, StillGivesMusic) {
  SaverProcess saver;
  const std::string sound = saver.folder() + "/sound.wav";
  ASSERT_TRUE(StartAndAwaitFrame(saver, {"/s"},
                                 {{"TMPDIR", saver.folder() + "/absent"}, {"COPPERLEAF_SOUND_FILE", sound}}))
      << saver.ErrorOutput();
  const bool heard = AwaitSound(sound);
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
  EXPECT_TRUE(heard) << "no music was heard";
  for (const auto& entry : std::filesystem::directory_iterator(saver.folder() + "/run")) {
    EXPECT_NE(entry.path().filename().string().rfind("copperleaf-", 0), 0u) << "left behind: " << entry.path();
  }
}

// Every core kept busy by ordinary programs leaves the idle-priority saver almost no processor.
// Asked to end, it falls silent at once (its sound thread keeps normal priority, as the speakers'
// does) and ends without its help within a bound, exit status 0 and its folder removed.
TEST(BusyMachineEndTest, FallsSilentAtOnceAndEndsWhileEveryCoreIsBusy) {
  SaverProcess saver;
  const std::string sound = saver.folder() + "/sound.wav";
  ASSERT_TRUE(StartAndAwaitFrame(saver, {"/s"}, {{"COPPERLEAF_SOUND_FILE", sound}})) << saver.ErrorOutput();
  ASSERT_TRUE(AwaitTemporaryFile(saver));
  ASSERT_TRUE(AwaitSound(sound)) << "the music never started";

  int status = 0;
  size_t mixedBefore = 0;
  bool ended = false;
  {
    const BusyCores busy;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    kill(saver.pid(), SIGTERM);
    // What the file holds half a second after the request was mixed before then; all after it later.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    mixedBefore = SoundSamples(sound).size();
    ended = saver.WaitForExit(60, &status);
  }
  ASSERT_TRUE(ended) << "still running a minute after it was asked to end";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  const std::vector<std::string> left = saver.TemporaryFiles();
  EXPECT_TRUE(left.empty()) << "left behind: " << (left.empty() ? "" : left.front());

  const std::vector<int16_t> samples = SoundSamples(sound);
  const auto loud = std::find_if(samples.begin() + static_cast<std::ptrdiff_t>(std::min(mixedBefore, samples.size())),
                                 samples.end(), [](int16_t sample) { return sample != 0; });
  EXPECT_EQ(loud, samples.end()) << "sound " << static_cast<double>(loud - samples.begin()) / 2 / 44100
                                 << " s into the file, which held " << mixedBefore / 2 / 44100.0
                                 << " s half a second after the request to end";
}

// Another program stopped (SIGSTOP) while it holds the settings' lock: the first run still starts,
// refusing at most one change after one bounded wait, and ends cleanly on SIGTERM.
TEST(StalledLockTest, DelaysAFirstRunByOneBoundedWaitAtMost) {
  SaverProcess saver;
  const std::string lockPath = saver.folder() + "/config/copperleaf/registry.json.lock";
  std::filesystem::create_directories(saver.folder() + "/config/copperleaf");
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) _exit(1);
    // Stopped for good, lock held, until the test kills it: a hang-up or continue sent to the
    // test's process group (one that becomes orphaned with a stopped member gets both) must not
    // let the lock go while the test relies on it.
    signal(SIGHUP, SIG_IGN);
    for (;;) raise(SIGSTOP);
  }
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, WUNTRACED), holder);
  ASSERT_TRUE(WIFSTOPPED(status));
  const auto start = std::chrono::steady_clock::now();
  const bool drew = StartAndAwaitFrame(saver, {"/s"});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("first frame %.3f s after the start\n", seconds);
  EXPECT_TRUE(drew) << saver.ErrorOutput();
  if (drew) ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
  const std::string errors = saver.ErrorOutput();
  size_t waits = 0;
  for (size_t at = errors.find("for too long"); at != std::string::npos; at = errors.find("for too long", at + 1)) {
    ++waits;
  }
  EXPECT_LE(waits, 1u) << errors;
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, HeadlessSignalTest,
                         ::testing::Values(HeadlessCase{"FullScreenOnSigterm", {"/s"}, SIGTERM},
                                           HeadlessCase{"RootOnSigint", {"--root"}, SIGINT},
                                           HeadlessCase{"TestWindowOnSigterm", {"/t"}, SIGTERM},
                                           HeadlessCase{"TestWindowOnSigint", {"/t"}, SIGINT}),
                         [](const ::testing::TestParamInfo<HeadlessCase>& info) { return std::string(info.param.name); });

}  // namespace
