#include <ostream>
#include <string>
#include <vector>

#include "tests/host/host_fixture.h"

namespace {

struct CommandLineCase {
  const char* name;
  std::u16string line;
  ScreensaverMode mode;
  INT_PTR parent;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public HostTest, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, SelectsModeAndParent) {
  HostProbe saver;
  const CommandLineCase& c = GetParam();
  EXPECT_EQ(saver.ParseCommandLine(c.line.c_str()), c.mode);
  EXPECT_EQ((INT_PTR)saver.m_parentWindow, c.parent);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"NoSwitch", u"saver.scr", ScreensaverMode::Configure, 0},
        CommandLineCase{"NoSwitchWithWords", u"saver.scr hello", ScreensaverMode::Configure, 0},
        CommandLineCase{"Empty", u"", ScreensaverMode::Configure, 0},
        CommandLineCase{"ConfigureColon", u"saver.scr /c:1234", ScreensaverMode::Configure, 1234},
        CommandLineCase{"ConfigureBlank", u"saver.scr -C 1234", ScreensaverMode::Configure, 1234},
        CommandLineCase{"ConfigureWithoutNumber", u"saver.scr /c", ScreensaverMode::Configure, 0},
        CommandLineCase{"Preview", u"saver.scr /p 5678", ScreensaverMode::Preview, 5678},
        CommandLineCase{"PreviewUpper", u"saver.scr /P:99", ScreensaverMode::Preview, 99},
        CommandLineCase{"Password", u"saver.scr /a 5", ScreensaverMode::ChangePassword, 5},
        CommandLineCase{"Test", u"saver.scr /t 77", ScreensaverMode::TestWindow, 0},
        CommandLineCase{"NoAction", u"saver.scr -R", ScreensaverMode::NoAction, 0},
        CommandLineCase{"FullScreen", u"saver.scr /s", ScreensaverMode::FullScreen, 0},
        CommandLineCase{"UnknownLetter", u"saver.scr /x 12", ScreensaverMode::FullScreen, 0},
        CommandLineCase{"TrailingSlash", u"saver.scr /", ScreensaverMode::FullScreen, 0},
        CommandLineCase{"QuotedNameWithBlanksAndHyphens", u"\"C:\\My Savers\\sky-blue /t.scr\" /p 42",
                        ScreensaverMode::Preview, 42},
        CommandLineCase{"QuotedNameAlone", u"\"C:\\My Savers\\sky-blue.scr\"", ScreensaverMode::Configure, 0},
        // An unquoted name is skipped only to its first blank, so a hyphen after a blank in it is
        // taken for the switch.
        CommandLineCase{"UnquotedNameWithBlankAndHyphen", u"C:\\Program Files\\my-saver.scr /p 123",
                        ScreensaverMode::FullScreen, 0},
        CommandLineCase{"UnclosedQuote", u"\"C:\\a -t", ScreensaverMode::Configure, 0},
        CommandLineCase{"OverlongNumber", u"saver.scr /p 99999999999999999999", ScreensaverMode::Preview, 0},
        CommandLineCase{"LargestNumber", u"saver.scr /p 2147483647", ScreensaverMode::Preview, 2147483647}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.name); });

// The Linux managers' forms reach the screensaver as the Windows line the stand-in makes of them.
struct LinuxCase {
  const char* name;
  std::vector<const char*> arguments;
  const char* saverWindow;
  ScreensaverMode mode;
  INT_PTR parent;
};

void PrintTo(const LinuxCase& c, std::ostream* os) { *os << c.name; }

class LinuxCommandLineTest : public HostTest, public ::testing::WithParamInterface<LinuxCase> {};

TEST_P(LinuxCommandLineTest, SelectsModeAndParent) {
  const LinuxCase& c = GetParam();
  std::vector<const char*> argv{"/usr/libexec/xscreensaver/copperleaf"};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  const win32::LinuxStart start = win32::StartFromArguments(static_cast<int>(argv.size()), argv.data(), c.saverWindow);
  HostProbe saver;
  EXPECT_EQ(saver.ParseCommandLine(start.commandLine.c_str()), c.mode);
  EXPECT_EQ((INT_PTR)saver.m_parentWindow, c.parent);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LinuxCommandLineTest,
    ::testing::Values(LinuxCase{"RootInGivenWindow", {"--root"}, "0x1e00007", ScreensaverMode::FullScreen, 0},
                      LinuxCase{"RootAlone", {"-root"}, nullptr, ScreensaverMode::FullScreen, 0},
                      LinuxCase{"RootInBadWindow", {"--root"}, "nonsense", ScreensaverMode::FullScreen, 0},
                      LinuxCase{"WindowIdHex", {"--window-id", "0x2a"}, nullptr, ScreensaverMode::Preview, 42},
                      LinuxCase{"WindowIdDecimal", {"--window-id", "4242"}, nullptr, ScreensaverMode::Preview, 4242},
                      LinuxCase{"LargestWindowId", {"--window-id", "0x1fffffff"}, nullptr, ScreensaverMode::Preview,
                                0x1fffffff},
                      // An id that cannot be read leaves the preview without a parent, which fails its
                      // start with the preview's own message.
                      LinuxCase{"WindowIdBad", {"--window-id", "0x"}, nullptr, ScreensaverMode::Preview, 0},
                      LinuxCase{"WindowIdMissing", {"--window-id"}, nullptr, ScreensaverMode::Preview, 0},
                      // A manager's settings start the preview after "--root", with the preview's
                      // window in $XSCREENSAVER_WINDOW too.
                      LinuxCase{"RootThenWindowId", {"--root", "--window-id", "0x2a"}, "0x2a", ScreensaverMode::Preview,
                                42},
                      LinuxCase{"WindowIdThenRoot", {"-window-id", "77", "-root"}, "0x4d", ScreensaverMode::Preview, 77},
                      // The Windows letters keep their meaning.
                      LinuxCase{"WindowsConfigure", {"/c:12"}, nullptr, ScreensaverMode::Configure, 12},
                      LinuxCase{"WindowsOtherLetter", {"-x"}, nullptr, ScreensaverMode::FullScreen, 0}),
    [](const ::testing::TestParamInfo<LinuxCase>& info) { return std::string(info.param.name); });

// Help, the version and unknown long options are answered before anything runs; the first of them
// decides, and a window id is never read as one.
struct LinuxActionCase {
  const char* name;
  std::vector<const char*> arguments;
  win32::LinuxStart::Action action;
  const char* problem;
};

void PrintTo(const LinuxActionCase& c, std::ostream* os) { *os << c.name; }

class LinuxActionTest : public ::testing::TestWithParam<LinuxActionCase> {};

TEST_P(LinuxActionTest, DecidesTheAction) {
  const LinuxActionCase& c = GetParam();
  std::vector<const char*> argv{"copperleaf"};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  const win32::LinuxStart start = win32::StartFromArguments(static_cast<int>(argv.size()), argv.data(), "0x2a");
  EXPECT_EQ(start.action, c.action);
  EXPECT_EQ(start.problem, c.problem);
}

using Action = win32::LinuxStart::Action;
INSTANTIATE_TEST_SUITE_P(
    Arguments, LinuxActionTest,
    ::testing::Values(LinuxActionCase{"Help", {"--help"}, Action::Usage, ""},
                      LinuxActionCase{"ShortHelp", {"-h"}, Action::Usage, ""},
                      LinuxActionCase{"QuestionMark", {"-?"}, Action::Usage, ""},
                      LinuxActionCase{"HelpAfterRoot", {"--root", "--help"}, Action::Usage, ""},
                      LinuxActionCase{"Version", {"--version"}, Action::Version, ""},
                      LinuxActionCase{"Unknown", {"--fps"}, Action::Refuse, "unknown option \"--fps\""},
                      LinuxActionCase{"UnknownWithValue", {"--window-id=5"}, Action::Refuse,
                                      "unknown option \"--window-id=5\""},
                      LinuxActionCase{"FirstDecides", {"--bogus", "--help"}, Action::Refuse,
                                      "unknown option \"--bogus\""},
                      LinuxActionCase{"WindowIdValueIsNoOption", {"--window-id", "--help"}, Action::Run,
                                      "--window-id needs a window id, not \"--help\""},
                      LinuxActionCase{"RootRuns", {"--root"}, Action::Run, ""},
                      LinuxActionCase{"WindowsFormRuns", {"/s"}, Action::Run, ""}),
    [](const ::testing::TestParamInfo<LinuxActionCase>& info) { return std::string(info.param.name); });

}  // namespace
