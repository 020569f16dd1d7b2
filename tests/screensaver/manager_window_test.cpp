// The program started as a screen-saver manager starts it, in a window the test makes on an Xvfb
// of its own: it draws there, follows the window's size and ends on SIGTERM or with the window.
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/screensaver/saver_process.h"
#include "tests/support/given_x11_window.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Loading the scene and the first frames take a while on a loaded machine or a sanitizer build;
// these bound a wait only so that a broken program cannot hang the suite.
constexpr double kDrawWait = 90;

// Whether the process has its own handler for `signal` in place yet.
bool Catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
  }
  return false;
}

std::string Hex(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof(text), "0x%lx", id);
  return text;
}

class ManagerWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<XvfbServer>("1024x768x24"); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    viewer_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(viewer_, nullptr);
    window_ = MakeGivenWindow(viewer_, 0, 0, 640, 480);
  }

  void TearDown() override {
    if (viewer_ != nullptr) XCloseDisplay(viewer_);
  }

  // Whether any pixel of the area (sampled every 8 pixels) is not black.
  bool Drawn(int left, int top, int right, int bottom) {
    XImage* image = XGetImage(viewer_, window_, left, top, right - left, bottom - top, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool drawn = false;
    for (int y = 0; y < bottom - top && !drawn; y += 8) {
      for (int x = 0; x < right - left && !drawn; x += 8) drawn = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    }
    XDestroyImage(image);
    return drawn;
  }

  // Waits until the area shows something; the scene fades through black between slides, so one
  // black look proves nothing. False when the program ended or the time ran out first.
  bool AwaitDrawn(SaverProcess& saver, int left, int top, int right, int bottom) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kDrawWait);
    while (std::chrono::steady_clock::now() < end) {
      if (Drawn(left, top, right, bottom)) return true;
      if (kill(saver.pid(), 0) != 0) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  std::map<std::string, std::string> Environment() const {
    return {{"DISPLAY", server_->display()}, {"XSCREENSAVER_WINDOW", Hex(window_)}};
  }

  static inline std::unique_ptr<XvfbServer> server_;
  ::Display* viewer_ = nullptr;
  ::Window window_ = 0;
};

// The samples of a WAVE file of 16-bit samples whose sizes agree with the file's (one closed by
// its writer); empty otherwise.
std::vector<int16_t> ClosedWaveSamples(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto u32 = [&](size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
  };
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || u32(4) != bytes.size() - 8) return {};
  for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + u32(at + 4)) {
    if (bytes.compare(at, 4, "data") != 0) continue;
    if (at + 8 + u32(at + 4) != bytes.size()) return {};
    std::vector<int16_t> samples(u32(at + 4) / 2);
    std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
    return samples;
  }
  return {};
}

// Whether the process plays the soundtrack: the music stream keeps the file it plays open, which
// tells the music apart from the sound effects that the preview plays too.
bool PlaysTheSoundtrack(pid_t pid) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    std::error_code gone;
    if (std::filesystem::read_symlink(entry.path(), gone).filename() == "soundtrack.mp3") return true;
  }
  return false;
}

TEST_F(ManagerWindowTest, RootDrawsIntoTheGivenWindowFollowsItsSizeAndEndsOnSigterm) {
  SaverProcess saver;
  const std::string sound = saver.folder() + "/sound.wav";
  auto environment = Environment();
  environment["COPPERLEAF_SOUND_FILE"] = sound;
  ASSERT_TRUE(saver.Start({"--root"}, environment));
  ASSERT_TRUE(AwaitDrawn(saver, 0, 0, 640, 480)) << saver.ErrorOutput();
  // Full screen plays its music: a second of the mix is written before the window changes size.
  const auto soundEnd = std::chrono::steady_clock::now() + std::chrono::duration<double>(kDrawWait);
  std::error_code missing;
  while (std::filesystem::file_size(sound, missing) < 44 + 44100 * 4 &&
         std::chrono::steady_clock::now() < soundEnd) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // The music opens once the first slide's sounds have started; a slow (sanitizer) build takes longer.
  while (!PlaysTheSoundtrack(saver.pid()) && std::chrono::steady_clock::now() < soundEnd) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(PlaysTheSoundtrack(saver.pid()));
  // Nothing of its own was put on the screen: the given window is the only one on the root.
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(viewer_, DefaultRootWindow(viewer_), &root, &parent, &children, &count);
  EXPECT_EQ(count, 1u);
  if (children != nullptr) XFree(children);

  XResizeWindow(viewer_, window_, 800, 600);
  XSync(viewer_, False);
  EXPECT_TRUE(AwaitDrawn(saver, 640, 480, 800, 600)) << "the grown part of the window stayed black";
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
  const std::vector<int16_t> samples = ClosedWaveSamples(sound);
  EXPECT_GE(samples.size(), 44100u * 2) << "the sound was not closed, or too short";
  EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; }));
}

TEST_F(ManagerWindowTest, RootEndsWhenTheGivenWindowIsDestroyed) {
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"-root"}, Environment()));
  ASSERT_TRUE(AwaitDrawn(saver, 0, 0, 640, 480)) << saver.ErrorOutput();
  ExpectCleanEnd(saver, [&] {
    XDestroyWindow(viewer_, window_);
    XSync(viewer_, False);
  });
}

TEST_F(ManagerWindowTest, PreviewDrawsInsideTheWindowAndEndsOnSigint) {
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"--window-id", std::to_string(window_)}, {{"DISPLAY", server_->display()}}));
  ASSERT_TRUE(AwaitDrawn(saver, 0, 0, 640, 480)) << saver.ErrorOutput();
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGINT); });
}

// A manager's settings start the preview as "--root --window-id W" with $XSCREENSAVER_WINDOW = W:
// the preview's own window inside W, and no music.
TEST_F(ManagerWindowTest, RootWithAWindowIdIsThePreview) {
  SaverProcess saver;
  const std::string sound = saver.folder() + "/sound.wav";
  auto environment = Environment();
  environment["COPPERLEAF_SOUND_FILE"] = sound;
  ASSERT_TRUE(saver.Start({"--root", "--window-id", Hex(window_)}, environment));
  ASSERT_TRUE(AwaitDrawn(saver, 0, 0, 640, 480)) << saver.ErrorOutput();
  // Full screen would draw into W itself; the preview is a child window of it.
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(viewer_, window_, &root, &parent, &children, &count);
  EXPECT_EQ(count, 1u);
  if (children != nullptr) XFree(children);
  // Full screen has its music playing by the time it draws; the preview never starts it.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_FALSE(PlaysTheSoundtrack(saver.pid())) << "the preview plays the music";
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

// A manager's window of depth 32 (an ARGB visual, as a compositing manager makes) is drawn into
// with its own visual.
TEST_F(ManagerWindowTest, RootDrawsIntoAWindowOfDepth32) {
  XVisualInfo info{};
  if (!XMatchVisualInfo(viewer_, DefaultScreen(viewer_), 32, TrueColor, &info)) GTEST_SKIP() << "no 32-bit visual";
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(viewer_, DefaultRootWindow(viewer_), info.visual, AllocNone);
  XDestroyWindow(viewer_, window_);
  window_ = XCreateWindow(viewer_, DefaultRootWindow(viewer_), 0, 0, 640, 480, 0, 32, InputOutput, info.visual,
                          CWColormap | CWBorderPixel | CWBackPixel, &attributes);
  XMapWindow(viewer_, window_);
  XSync(viewer_, False);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"--root"}, Environment()));
  EXPECT_TRUE(AwaitDrawn(saver, 0, 0, 640, 480)) << saver.ErrorOutput();
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
  XFreeColormap(viewer_, attributes.colormap);
}

// A window far larger than any monitor is refused with a line that says why, without the
// gigabytes its buffers would take; the run still ends cleanly.
TEST_F(ManagerWindowTest, RootRefusesAHugeWindowWithoutAllocatingIt) {
  XResizeWindow(viewer_, window_, 16384, 16384);
  XSync(viewer_, False);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"--root"}, Environment()));
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kDrawWait);
  while (saver.ErrorOutput().find("larger than") == std::string::npos && kill(saver.pid(), 0) == 0 &&
         std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NE(saver.ErrorOutput().find("a window of 16384 x 16384 pixels is larger than"), std::string::npos)
      << saver.ErrorOutput();
  // A second's worth of frames of the error mode, then the peak of its memory.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::ifstream status("/proc/" + std::to_string(saver.pid()) + "/status");
  long peakKb = -1;
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) peakKb = std::stol(line.substr(6));
  }
  EXPECT_GT(peakKb, 0);
  EXPECT_LT(peakKb, 512L * 1024) << "one buffer of that window alone takes 1 GiB";
  kill(saver.pid(), SIGTERM);
  int exitStatus = 0;
  EXPECT_TRUE(saver.WaitForExit(20, &exitStatus));
  EXPECT_TRUE(WIFEXITED(exitStatus)) << exitStatus;
  EXPECT_TRUE(saver.TemporaryFiles().empty());
}

// A signal while the program is still starting (windows, devices and the scene being made) waits
// for the windows and then ends the run as usual.
class EarlySignalTest : public ManagerWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EarlySignalTest, EndsCleanlyWhenSignalledDuringStartUp) {
  const bool preview = GetParam();
  SaverProcess saver;
  if (preview) {
    ASSERT_TRUE(saver.Start({"--window-id", std::to_string(window_)}, {{"DISPLAY", server_->display()}}));
  } else {
    ASSERT_TRUE(saver.Start({"--root"}, Environment()));
  }
  // As soon as the handlers are in place, long before the scene is shown.
  for (int attempt = 0; attempt < 20000 && !Catches(saver.pid(), SIGTERM); ++attempt) {
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

INSTANTIATE_TEST_SUITE_P(Forms, EarlySignalTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Preview" : "Root");
                         });

// An id that names no window, or cannot be read, ends the start with a clear message and draws
// nowhere else.
struct BadWindowCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string saverWindow;
  const char* said;  // besides the screensaver's own message
};

void PrintTo(const BadWindowCase& c, std::ostream* os) { *os << c.name; }

class BadWindowTest : public ManagerWindowTest, public ::testing::WithParamInterface<BadWindowCase> {};

TEST_P(BadWindowTest, EndsWithTheMessageAndDrawsNowhere) {
  const BadWindowCase& c = GetParam();
  SaverProcess saver;
  ASSERT_TRUE(saver.Start(c.arguments, {{"DISPLAY", server_->display()}, {"XSCREENSAVER_WINDOW", c.saverWindow}}));
  int status = 0;
  ASSERT_TRUE(saver.WaitForExit(kDrawWait, &status));
  EXPECT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 1) << "a start that failed ended as a success";
  const std::string errors = saver.ErrorOutput();
  EXPECT_NE(errors.find("There was an unspecified problem with this screen saver."), std::string::npos) << errors;
  EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(viewer_, DefaultRootWindow(viewer_), &root, &parent, &children, &count);
  EXPECT_EQ(count, 1u);
  if (children != nullptr) XFree(children);
  EXPECT_FALSE(Drawn(0, 0, 640, 480));
}

INSTANTIATE_TEST_SUITE_P(
    Ids, BadWindowTest,
    ::testing::Values(BadWindowCase{"RootInAWindowThatDoesNotExist", {"--root"}, "0x1234567", "no X11 window 0x1234567"},
                      BadWindowCase{"RootInAnUnreadableWindow", {"--root"}, "window", "not a window id"},
                      BadWindowCase{"PreviewInAWindowThatDoesNotExist", {"--window-id", "0x1234567"}, "",
                                    "no X11 window 0x1234567"},
                      BadWindowCase{"PreviewInAnUnreadableWindow", {"--window-id", "12ab"}, "", "needs a window id"}),
    [](const ::testing::TestParamInfo<BadWindowCase>& info) { return std::string(info.param.name); });

}  // namespace
