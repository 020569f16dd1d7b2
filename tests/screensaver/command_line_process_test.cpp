// The program's command line as a user meets it: help, the version and unknown options are
// answered at once, without starting the saver; a start that fails says why and ends with a
// failure code.
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/screensaver/saver_process.h"

namespace {

// Answers come before any window, device or scene. A saver started by mistake never ends by itself,
// so it would still be running after this; the room is for a loaded machine starting a sanitized
// build, which can take over a second.
constexpr double kAnswerWait = 15;
// Only a bound against a start that never ends.
constexpr double kStartWait = 90;

struct AnswerCase {
  const char* name;
  std::vector<std::string> arguments;
  int code;
  std::string output;  // all of the standard output when `whole`, else a part of it
  bool whole;
  std::string errors;  // all of the error output
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class AnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerTest, AnswersAtOnceWithoutStartingTheSaver) {
  const AnswerCase& c = GetParam();
  SaverProcess saver;
  // With a display given, a saver started by mistake could not pass as headless and quick.
  ASSERT_TRUE(saver.Start(c.arguments, {{"DISPLAY", ""}}));
  int status = 0;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(saver.WaitForExit(kAnswerWait, &status)) << "still running: it started the saver";
  std::printf("answered in %.3f s\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), c.code);
  const std::string output = saver.StandardOutput();
  if (c.whole) {
    EXPECT_EQ(output, c.output);
  } else {
    EXPECT_NE(output.find(c.output), std::string::npos) << output;
  }
  EXPECT_EQ(saver.ErrorOutput(), c.errors);
  // Nothing ran: no settings were written and no temporary folder made.
  EXPECT_FALSE(std::filesystem::exists(saver.folder() + "/config/copperleaf"));
  EXPECT_TRUE(saver.TemporaryFiles().empty());
}

// The usage names both kinds of forms.
const std::string kUsageStart = "Usage: copperleaf [--root] [--window-id ID]\n       copperleaf [/s | /p N | /t | /c | /a | /r]\n";

INSTANTIATE_TEST_SUITE_P(
    Options, AnswerTest,
    ::testing::Values(
        AnswerCase{"Help", {"--help"}, 0, kUsageStart, false, ""},
        AnswerCase{"ShortHelp", {"-h"}, 0, kUsageStart, false, ""},
        AnswerCase{"QuestionMark", {"-?"}, 0, kUsageStart, false, ""},
        AnswerCase{"HelpAmongManagerForms", {"--root", "--help"}, 0, kUsageStart, false, ""},
        AnswerCase{"Version", {"--version"}, 0, std::string("copperleaf ") + COPPERLEAF_VERSION + "\n", true, ""},
        AnswerCase{"UnknownOption", {"--fullscreen"}, 2, "", true,
                   "copperleaf: unknown option \"--fullscreen\"; copperleaf --help lists the options\n"},
        AnswerCase{"UnknownOptionAfterRoot", {"--root", "--fps"}, 2, "", true,
                   "copperleaf: unknown option \"--fps\"; copperleaf --help lists the options\n"}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(UsageTest, ListsEveryForm) {
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"--help"}, {{"DISPLAY", ""}}));
  int status = 0;
  ASSERT_TRUE(saver.WaitForExit(kAnswerWait, &status));
  const std::string usage = saver.StandardOutput();
  for (const char* form : {"--root", "--window-id ID", "--help", "-h", "-?", "--version", "/s", "/p N", "/t", "/c",
                           "/a", "/r", "copperleaf(6x)"}) {
    EXPECT_NE(usage.find(form), std::string::npos) << form << " is missing from\n" << usage;
  }
}

// Starts without a display (or without Direct3D) that fail, each with the reason on the error output,
// against one that ends as asked.
struct StartCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* saverWindow;  // $XSCREENSAVER_WINDOW; empty: unset
  bool noDirect3D;
  int code;
  const char* said;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartTest, EndsWithTheCodeAndSaysWhy) {
  const StartCase& c = GetParam();
  SaverProcess saver;
  std::map<std::string, std::string> environment{{"DISPLAY", ""}, {"XSCREENSAVER_WINDOW", c.saverWindow}};
  if (c.noDirect3D) {
    const std::string machine = saver.folder() + "/machine.json";
    std::ofstream(machine) << R"({"faults": {"direct3dMissing": true}})";
    environment["COPPERLEAF_MACHINE"] = machine;
  }
  ASSERT_TRUE(saver.Start(c.arguments, environment));
  int status = 0;
  ASSERT_TRUE(saver.WaitForExit(kStartWait, &status)) << "still running\n" << saver.ErrorOutput();
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), c.code) << saver.ErrorOutput();
  EXPECT_NE(saver.ErrorOutput().find(c.said), std::string::npos) << saver.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Headless, StartTest,
    ::testing::Values(
        StartCase{"SettingsWithoutDisplay", {"/c"}, "", false, 1, "copperleaf: a dialog needs a display"},
        StartCase{"NoOptionIsTheSettings", {}, "", false, 1, "copperleaf: a dialog needs a display"},
        StartCase{"SettingsWithoutDirect3D", {"/c"}, "", true, 1, "Direct3D 8.0 could not be initialized."},
        StartCase{"PreviewWithoutDisplay", {"--window-id", "0x1234567"}, "", false, 1,
                  "copperleaf: there is no display to find window 0x1234567 on"},
        StartCase{"RootInAWindowWithoutDisplay", {"--root"}, "0x1234567", false, 1,
                  "copperleaf: there is no X11 window 0x1234567 to draw in"},
        StartCase{"NoActionEndsAsAsked", {"/r"}, "", false, 0, ""}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

}  // namespace
