// The screensaver leaves the processor to every other program: once it draws, each of its threads
// (the drawing workers too) runs at idle priority, or at the lowest nice value where the scheduler
// refuses that policy; only the thread that feeds the sound server, and the one that starts it,
// keep normal priority, so that a busy machine does not starve the sound, and so does the thread that
// sees the program asked to end.
#include <sched.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/machine/normal_priority.h"
#include "platform/win32/termination.h"
#include "tests/screensaver/saver_process.h"

namespace {

struct Scheduling {
  std::string thread;
  int nice = 0;
  int policy = -1;
};

// Nice value and policy of every thread of the process, from /proc/PID/task/TID/stat.
std::vector<Scheduling> Threads(pid_t pid) {
  std::vector<Scheduling> threads;
  std::error_code gone;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", gone)) {
    std::ifstream file(task.path() / "stat");
    std::string line;
    if (!std::getline(file, line) || line.rfind(')') == std::string::npos) continue;
    // The fields after the command's name, which may hold blanks, start with the third.
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) values.push_back(value);
    if (values.size() < 41 - 2) continue;
    threads.push_back({line.substr(0, line.rfind(')') + 1), std::stoi(values[19 - 3]), std::stoi(values[41 - 3])});
  }
  return threads;
}

// Whether the frame folder holds the `index`th presentation of some window.
bool Presented(const std::string& frames, int index) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-%06d.png", index);
  std::error_code gone;
  for (const auto& entry : std::filesystem::directory_iterator(frames, gone)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > std::strlen(suffix) && name.compare(name.size() - std::strlen(suffix), std::string::npos, suffix) == 0)
      return true;
  }
  return false;
}

TEST(IdlePriorityTest, EveryThreadOfARunningFullScreenSaverIsIdle) {
  SaverProcess saver;
  const std::string frames = saver.folder() + "/frames";
  std::filesystem::create_directories(frames);
  ASSERT_TRUE(saver.Start({"/s"}, {{"DISPLAY", ""}, {"COPPERLEAF_FRAMES", frames}, {"COPPERLEAF_FRAME_EVERY", "5"}}));
  // From the third frame on the scene itself is drawn; by the sixth every worker has drawn. The
  // bound only keeps a broken program from hanging the suite.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (!Presented(frames, 5) && kill(saver.pid(), 0) == 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(Presented(frames, 5)) << saver.ErrorOutput();
  const std::vector<Scheduling> threads = Threads(saver.pid());
  ASSERT_FALSE(threads.empty());
  std::printf("%zu threads\n", threads.size());
  for (const Scheduling& thread : threads) {
    // The sound's threads, and the one that sees the program end on a busy machine.
    const bool normal = thread.thread.ends_with(std::string("(") + machine::kNormalPriorityThreadName + ")") ||
                        thread.thread.ends_with(std::string("(") + machine::kSoundOutputThreadName + ")") ||
                        thread.thread.ends_with(std::string("(") + win32::kEndWatcherThreadName + ")");
    if (normal) {
      EXPECT_TRUE(thread.policy == SCHED_OTHER && thread.nice == 0)
          << thread.thread << ": policy " << thread.policy << ", nice " << thread.nice;
    } else {
      EXPECT_TRUE(thread.policy == SCHED_IDLE || thread.nice == 19)
          << thread.thread << ": policy " << thread.policy << ", nice " << thread.nice;
    }
  }
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

}  // namespace
