#include <ostream>
#include <string>

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

}  // namespace
