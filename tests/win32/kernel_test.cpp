#include <gtest/gtest.h>
#include <shlwapi.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/command_line.h"
#include "platform/win32/message_box.h"
#include "platform/win32/process.h"
#include "platform/win32/run_temp_folder.h"
#include "platform/win32/system_parameters.h"

namespace {

TEST(KernelTest, CommandLineFromArgumentsSplitsBackIntoTheSameArguments) {
  const std::vector<std::vector<const char*>> cases = {
      {"/usr/bin/copperleaf", "/p", "1234"},
      {"/opt/My Saver/copperleaf", "/c:5"},  // blanks in the program name
      {"copperleaf", "a \"quoted\" word", "", "tail\\"},
      {"copperleaf", "back\\\\slash\\\"quote", "\t"},
  };
  for (const auto& arguments : cases) {
    const std::u16string line = win32::CommandLineFromArguments(static_cast<int>(arguments.size()), arguments.data());
    win32::SetCommandLine(line);
    EXPECT_EQ(std::u16string(GetCommandLineW()), line);
    const std::vector<std::u16string> split = win32::SplitCommandLine(line);
    ASSERT_EQ(split.size(), arguments.size()) << arguments[1];
    for (size_t i = 0; i < arguments.size(); ++i) {
      EXPECT_EQ(split[i], std::u16string(arguments[i], arguments[i] + std::char_traits<char>::length(arguments[i])));
    }
  }
  const char* plain[] = {"copperleaf", "/s"};
  EXPECT_EQ(win32::CommandLineFromArguments(2, plain), u"copperleaf /s");
}

// The temporary path is a folder of the run's own, private to the user, under $TMPDIR: the same
// for every call of the run, another for the next run, gone when the run ends with it empty.
TEST(KernelTest, TemporaryPathIsAPrivateFolderOfTheRun) {
  const char* saved = std::getenv("TMPDIR");
  const std::string restore = saved != nullptr ? saved : "";
  char pattern[] = "/tmp/copperleaf-kernel-XXXXXX";
  const std::string base = mkdtemp(pattern);
  setenv("TMPDIR", (base + "/").c_str(), 1);
  win32::ForgetRunTempFolder();

  WCHAR buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  const std::u16string path(buffer, length);
  const std::string folder = base + "/copperleaf-";
  ASSERT_EQ(path.size(), folder.size() + 7);
  EXPECT_EQ(path.substr(0, folder.size()), std::u16string(folder.begin(), folder.end()));
  EXPECT_EQ(path.back(), u'/');
  const std::string made(path.begin(), path.end() - 1);
  struct stat status {};
  ASSERT_EQ(lstat(made.c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  // The same folder for the whole run; no room for the NUL writes nothing.
  EXPECT_EQ(GetTempPathW(MAX_PATH + 1, buffer), length);
  EXPECT_EQ(std::u16string(buffer, length), path);
  buffer[0] = u'x';
  EXPECT_EQ(GetTempPathW(length, buffer), length + 1);
  EXPECT_EQ(buffer[0], u'x');

  // The next run gets a folder of its own; the run's folder goes when it ends.
  win32::ForgetRunTempFolder();
  EXPECT_NE(lstat(made.c_str(), &status), 0);
  ASSERT_EQ(GetTempPathW(MAX_PATH + 1, buffer), length);
  EXPECT_NE(std::u16string(buffer, length), path);
  win32::ForgetRunTempFolder();

  if (saved != nullptr) setenv("TMPDIR", restore.c_str(), 1);
  else unsetenv("TMPDIR");
  rmdir(base.c_str());
}

// A temporary folder that cannot hold the run's folder (missing, or so deep that the path would not
// fit the callers' buffers) gives way to the runtime folder, then to the cache folder; with none
// left there is no path, and one line says so however often it is asked.
TEST(KernelTest, TemporaryPathFallsBackToTheRuntimeThenTheCacheFolder) {
  const std::vector<std::string> names = {"TMPDIR", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"};
  std::vector<std::optional<std::string>> saved;
  for (const std::string& name : names) {
    const char* value = std::getenv(name.c_str());
    saved.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
  char pattern[] = "/tmp/copperleaf-fallback-XXXXXX";
  const std::string base = mkdtemp(pattern);
  const std::string deep = base + "/" + std::string(250, 'd');
  ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  const auto madeUnder = [&](const std::string& parent) {
    win32::ForgetRunTempFolder();
    WCHAR buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    const std::string path(buffer, buffer + length);
    return length > 0 && path.rfind(parent + "/copperleaf-", 0) == 0;
  };
  setenv("XDG_RUNTIME_DIR", (base + "/run").c_str(), 1);
  setenv("XDG_CACHE_HOME", (base + "/cache").c_str(), 1);
  ASSERT_EQ(mkdir((base + "/run").c_str(), 0700), 0);
  for (const std::string& unfit : {base + "/absent", deep}) {
    setenv("TMPDIR", unfit.c_str(), 1);
    EXPECT_TRUE(madeUnder(base + "/run")) << unfit;
  }
  setenv("XDG_RUNTIME_DIR", (base + "/absent").c_str(), 1);
  EXPECT_TRUE(madeUnder(base + "/cache"));  // made for the purpose

  setenv("XDG_CACHE_HOME", (base + "/absent/cache").c_str(), 1);
  testing::internal::CaptureStderr();
  WCHAR buffer[MAX_PATH + 1];
  win32::ForgetRunTempFolder();
  EXPECT_EQ(GetTempPathW(MAX_PATH + 1, buffer), 0u);
  EXPECT_EQ(GetTempPathW(MAX_PATH + 1, buffer), 0u);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("no temporary folder can be written"), std::string::npos) << said;
  EXPECT_EQ(said.find("temporary folder", said.find("temporary folder") + 1), std::string::npos) << said;

  for (size_t i = 0; i < names.size(); ++i) {
    if (saved[i]) setenv(names[i].c_str(), saved[i]->c_str(), 1);
    else unsetenv(names[i].c_str());
  }
  win32::ForgetRunTempFolder();
  std::filesystem::remove_all(base);
}

TEST(KernelTest, CreateProcessStartsAnExistingProgramAndRecordsEveryLine) {
  win32::ClearStartedProcesses();
  std::u16string existing = u"\"/bin/true\" \"http://example.invalid/a b\"";
  std::u16string missing = u"/no/such/browser http://example.invalid/";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(nullptr, existing.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_NE(process.dwProcessId, 0u);
  EXPECT_FALSE(CreateProcessW(nullptr, missing.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  const auto started = win32::StartedProcesses();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0].commandLine, existing);
  EXPECT_TRUE(started[0].started);
  EXPECT_EQ(started[1].commandLine, missing);
  EXPECT_FALSE(started[1].started);
}

TEST(KernelTest, ScreenSaverRunningIsAFlagThatReportsItsPreviousValue) {
  BOOL previous = TRUE;
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0));
  EXPECT_EQ(previous, FALSE);
  EXPECT_TRUE(win32::ScreenSaverRunning());
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0));
  EXPECT_EQ(previous, TRUE);
  EXPECT_FALSE(win32::ScreenSaverRunning());
  EXPECT_FALSE(SystemParametersInfoW(0x1234, 0, nullptr, 0));
}

TEST(KernelTest, MessageBoxesGoToTheHookWhichGivesTheButton) {
  std::vector<win32::MessageBoxShown> shown;
  win32::SetMessageBoxHook([&](const win32::MessageBoxShown& box) {
    shown.push_back(box);
    return 7;
  });
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxW(nullptr, u"Could not load required media.", u"Copperleaf Screensaver", MB_ICONERROR), 7);
  const std::string printed = testing::internal::GetCapturedStderr();
  win32::SetMessageBoxHook(nullptr);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, u"Could not load required media.");
  EXPECT_EQ(shown[0].caption, u"Copperleaf Screensaver");
  EXPECT_EQ(shown[0].type, UINT{MB_ICONERROR});
  EXPECT_NE(printed.find("Could not load required media."), std::string::npos);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxW(nullptr, u"x", nullptr, MB_ICONINFORMATION), IDOK);
  testing::internal::GetCapturedStderr();
}

TEST(KernelTest, MultiByteToWideCharReadsUtf8AndCountsAsWindowsDoes) {
  const char text[] = "Caf\xC3\xA9 \xFF";
  WCHAR wide[16];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 7);  // with the NUL
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 16), 7);
  EXPECT_EQ(std::u16string(wide), u"Caf\u00E9 \uFFFD");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, wide, 16), 3);  // no NUL asked for
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 6), 0);  // too small
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 6), 0);
}

template <typename... Arguments>
std::u16string Wide(const WCHAR* format, Arguments... arguments) {
  WCHAR buffer[1100];
  const int written = wsprintfW(buffer, format, arguments...);
  EXPECT_EQ(written, static_cast<int>(std::u16string(buffer).size()));
  return buffer;
}

TEST(KernelTest, WideFormattingReadsWideStringsAndStaysWithinItsBound) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {Wide(u"Monitor %d", 2), u"Monitor 2"},
      {Wide(u"%d by %d, %d bit color", 1280, 1024, 32), u"1280 by 1024, 32 bit color"},
      {Wide(u"Screen %d", -1), u"Screen -1"},
      {Wide(u"%.02f fps (%dx%dx%d)", 33.3333, 800, 600, 32), u"33.33 fps (800x600x32)"},
      {Wide(u"%s %s", u"browser.exe", u"http://x/"), u"browser.exe http://x/"},
      {Wide(u"%5d|%-4s|%04x|%u|%%|%lu", 42, u"ab", 0xBEEFu, 4000000000u, 7u), u"   42|ab  |beef|4000000000|%|7"},
      {Wide(u"%.2s|%c|%X|%hd", u"wide", u'\u00E9', 255u, 65535), u"wi|\u00E9|FF|-1"},
      {Wide(u"%s|%q|100%", static_cast<const WCHAR*>(nullptr)), u"(null)|q|100"},
  };
  for (const auto& [written, expected] : cases) EXPECT_EQ(written, expected);

  WCHAR buffer[1100];
  EXPECT_EQ(wsprintfW(buffer, u"%.02f fps (%dx%dx%d)", 33.3333, 800, 600, 32), 22);
  EXPECT_EQ(std::u16string(buffer), u"33.33 fps (800x600x32)");

  // wsprintfW stops at 1024 characters with the NUL, whatever the arguments.
  const std::u16string longText(2000, u'a');
  EXPECT_EQ(wsprintfW(buffer, u"%s", longText.c_str()), 1023);
  EXPECT_EQ(std::u16string(buffer).size(), 1023u);

  WCHAR small[10];
  EXPECT_EQ(wnsprintfW(small, 10, u"%.02f fps", 12.5), 9);
  EXPECT_EQ(std::u16string(small), u"12.50 fps");
  EXPECT_EQ(wnsprintfW(small, 10, u"%s", u"a longer text"), 9);
  EXPECT_EQ(std::u16string(small), u"a longer ");
  EXPECT_EQ(wnsprintfW(small, 0, u"x"), -1);
}

}  // namespace
