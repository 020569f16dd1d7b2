// The forms Linux screen-saver managers start a program with, turned into the Windows command line.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/command_line.h"

namespace {

struct StartCase {
  const char* name;
  std::vector<const char*> arguments;  // after the program name
  const char* saverWindow;             // $XSCREENSAVER_WINDOW, null when unset
  std::u16string line;                 // after the program name
  bool windowGiven;
  unsigned long givenWindow;
  bool problem;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class LinuxStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(LinuxStartTest, GivesTheWindowsLineAndTheWindowToDrawIn) {
  const StartCase& c = GetParam();
  std::vector<const char*> argv{"/usr/libexec/xscreensaver/copperleaf"};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  const win32::LinuxStart start = win32::StartFromArguments(static_cast<int>(argv.size()), argv.data(), c.saverWindow);
  EXPECT_EQ(start.commandLine, u"/usr/libexec/xscreensaver/copperleaf" + c.line);
  EXPECT_EQ(start.windowGiven, c.windowGiven);
  EXPECT_EQ(start.givenWindow, c.givenWindow);
  EXPECT_EQ(!start.problem.empty(), c.problem) << start.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LinuxStartTest,
    ::testing::Values(
        StartCase{"RootInHexWindow", {"--root"}, "0x1e00007", u" /s", true, 0x1e00007, false},
        StartCase{"SingleDashRootInDecimalWindow", {"-root"}, "31457287", u" /s", true, 31457287, false},
        StartCase{"RootUpperCaseHex", {"--root"}, "0X1E00007", u" /s", true, 0x1e00007, false},
        StartCase{"RootAmongOtherArguments", {"-v", "--root"}, "0x400001", u" /s", true, 0x400001, false},
        StartCase{"RootWithoutWindow", {"--root"}, nullptr, u" /s", false, 0, false},
        StartCase{"RootWithEmptyWindow", {"--root"}, "", u" /s", false, 0, false},
        StartCase{"RootWithWords", {"--root"}, "window", u" /s", true, 0, true},
        StartCase{"RootWithHexPrefixOnly", {"--root"}, "0x", u" /s", true, 0, true},
        StartCase{"RootWithTrailingText", {"--root"}, "1234abc", u" /s", true, 0, true},
        StartCase{"RootWithSign", {"--root"}, "-1234", u" /s", true, 0, true},
        StartCase{"RootWithBlank", {"--root"}, " 1234", u" /s", true, 0, true},
        StartCase{"RootWithWindowZero", {"--root"}, "0", u" /s", true, 0, true},
        StartCase{"RootWithIdBeyondX11", {"--root"}, "0x20000000", u" /s", true, 0, true},
        StartCase{"RootWithOverlongId", {"--root"}, "99999999999999999999999", u" /s", true, 0, true},
        StartCase{"LargestX11Id", {"--root"}, "0x1FFFFFFF", u" /s", true, 0x1FFFFFFF, false},
        StartCase{"WindowIdHex", {"--window-id", "0x2a"}, nullptr, u" /p 42", false, 0, false},
        StartCase{"WindowIdDecimal", {"--window-id", "31457287"}, nullptr, u" /p 31457287", false, 0, false},
        StartCase{"SingleDashWindowId", {"-window-id", "0X1F"}, nullptr, u" /p 31", false, 0, false},
        // The preview draws in the window named, whatever $XSCREENSAVER_WINDOW says.
        StartCase{"WindowIdBesideSaverWindow", {"--window-id", "77"}, "0x99", u" /p 77", false, 0, false},
        StartCase{"WindowIdBad", {"--window-id", "zz"}, nullptr, u" /p", false, 0, true},
        StartCase{"WindowIdZero", {"--window-id", "0"}, nullptr, u" /p", false, 0, true},
        StartCase{"WindowIdMissing", {"--window-id"}, nullptr, u" /p", false, 0, true},
        StartCase{"WindowsPreviewKept", {"/p", "1234"}, "0x99", u" /p 1234", false, 0, false},
        StartCase{"WindowsSettingsKept", {"/c:5"}, nullptr, u" /c:5", false, 0, false},
        StartCase{"NoArguments", {}, "0x99", u"", false, 0, false}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST(LinuxStartTest, ProgramNameWithBlanksStaysOneArgument) {
  const char* argv[] = {"/opt/My Savers/copperleaf", "--window-id", "0x10"};
  EXPECT_EQ(win32::StartFromArguments(3, argv, nullptr).commandLine, u"\"/opt/My Savers/copperleaf\" /p 16");
}

}  // namespace
