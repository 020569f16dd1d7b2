// Without a display the program still ends on SIGTERM and SIGINT as closing its window does.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/screensaver/saver_process.h"

namespace {

struct HeadlessCase {
  const char* name;
  std::vector<std::string> arguments;
  int signal;
};

void PrintTo(const HeadlessCase& c, std::ostream* os) { *os << c.name; }

class HeadlessSignalTest : public ::testing::TestWithParam<HeadlessCase> {};

TEST_P(HeadlessSignalTest, EndsCleanlyOnceItRuns) {
  const HeadlessCase& c = GetParam();
  SaverProcess saver;
  const std::string frames = saver.folder() + "/frames";
  std::filesystem::create_directories(frames);
  ASSERT_TRUE(saver.Start(c.arguments, {{"DISPLAY", ""}, {"COPPERLEAF_FRAMES", frames}}));
  // Running once it presented a frame; bounded so that a broken program cannot hang the suite.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (std::filesystem::is_empty(frames) && kill(saver.pid(), 0) == 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(std::filesystem::is_empty(frames)) << saver.ErrorOutput();
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), c.signal); });
}

INSTANTIATE_TEST_SUITE_P(Modes, HeadlessSignalTest,
                         ::testing::Values(HeadlessCase{"FullScreenOnSigterm", {"/s"}, SIGTERM},
                                           HeadlessCase{"RootOnSigint", {"--root"}, SIGINT},
                                           HeadlessCase{"TestWindowOnSigterm", {"/t"}, SIGTERM},
                                           HeadlessCase{"TestWindowOnSigint", {"/t"}, SIGINT}),
                         [](const ::testing::TestParamInfo<HeadlessCase>& info) { return std::string(info.param.name); });

}  // namespace
