// Two monitors of one X screen, as RandR 1.5 reports them, on an Xvfb of the test's own: the
// program gives each monitor its own saver window and scene, keeps a monitor left black where the
// settings say so, offers the per-monitor display settings, and centres its dialogs on the primary
// monitor.
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/screensaver/saver_process.h"
#include "tests/support/busy_cores.h"
#include "tests/support/randr_monitors.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace std::chrono_literals;

// Bounds for waits only, so that a broken program cannot hang the suite: loading the scene takes a
// while on a loaded machine or a sanitizer build.
constexpr auto kDrawWait = 90s;
constexpr auto kWindowWait = 30s;

struct Area {
  int x, y, width, height;
  bool operator==(const Area&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Area& a) {
  return out << a.width << "x" << a.height << "+" << a.x << "+" << a.y;
}

constexpr Area kLeft{0, 0, 1024, 768};
constexpr Area kRight{1024, 0, 800, 600};

template <class Condition>
bool WaitFor(Condition condition, std::chrono::seconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

class TwoMonitorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<XvfbServer>("1824x768x24");
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    viewer_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(viewer_, nullptr);
  }

  void TearDown() override {
    if (viewer_ != nullptr) XCloseDisplay(viewer_);
  }

  void SetMonitors(bool rightIsPrimary) {
    ASSERT_TRUE(SetRandrMonitors(server_->display(),
                                 {{"LEFT", kLeft.x, kLeft.y, kLeft.width, kLeft.height, !rightIsPrimary, true},
                                  {"RIGHT", kRight.x, kRight.y, kRight.width, kRight.height, rightIsPrimary, false}}));
  }

  // The visible top-level windows of the process, each with its area on the screen.
  std::vector<std::pair<Window, Area>> WindowsOf(pid_t pid) {
    std::vector<std::pair<Window, Area>> found;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(viewer_, DefaultRootWindow(viewer_), &root, &parent, &children, &count)) return found;
    const Atom pidAtom = XInternAtom(viewer_, "_NET_WM_PID", False);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes{};
      if (!XGetWindowAttributes(viewer_, children[i], &attributes) || attributes.map_state != IsViewable) continue;
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(viewer_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                             &data) == Success &&
          data != nullptr && items == 1 && static_cast<pid_t>(*reinterpret_cast<long*>(data)) == pid) {
        found.push_back({children[i], {attributes.x, attributes.y, attributes.width, attributes.height}});
      }
      if (data != nullptr) XFree(data);
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  // The share of points on a grid over the window, in each quarter of it, that are not black: a
  // scene of its own fills the whole window, a slice of a larger one would leave quarters empty.
  std::vector<double> DrawnQuarters(Window window, const Area& area) {
    std::vector<double> shares(4, 0);
    XImage* image = XGetImage(viewer_, window, 0, 0, area.width, area.height, AllPlanes, ZPixmap);
    if (image == nullptr) return shares;
    std::vector<int> points(4, 0);
    for (int y = 4; y < area.height; y += 16) {
      for (int x = 4; x < area.width; x += 16) {
        const int quarter = (x >= area.width / 2) + 2 * (y >= area.height / 2);
        ++points[quarter];
        if ((XGetPixel(image, x, y) & 0xFFFFFF) != 0) shares[quarter] += 1;
      }
    }
    XDestroyImage(image);
    for (int q = 0; q < 4; ++q) shares[q] /= std::max(points[q], 1);
    return shares;
  }

  bool FillsItself(Window window, const Area& area) {
    const std::vector<double> shares = DrawnQuarters(window, area);
    return std::all_of(shares.begin(), shares.end(), [](double share) { return share > 0.25; });
  }

  bool AllBlack(Window window, const Area& area) {
    const std::vector<double> shares = DrawnQuarters(window, area);
    return std::all_of(shares.begin(), shares.end(), [](double share) { return share == 0; });
  }

  // The program's windows once there are `count` of them, ordered left to right.
  std::vector<std::pair<Window, Area>> AwaitWindows(pid_t pid, size_t count) {
    std::vector<std::pair<Window, Area>> windows;
    WaitFor([&] { return (windows = WindowsOf(pid)).size() >= count; }, kWindowWait);
    std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) { return a.second.x < b.second.x; });
    return windows;
  }

  std::map<std::string, std::string> Environment() const { return {{"DISPLAY", server_->display()}}; }

  std::unique_ptr<XvfbServer> server_;
  Display* viewer_ = nullptr;
};

struct SaverCase {
  const char* argument;
  bool rightIsPrimary;
};

class SaverWindowsTest : public TwoMonitorsTest, public ::testing::WithParamInterface<SaverCase> {};

TEST_P(SaverWindowsTest, EveryMonitorGetsAWindowOfItsSizeAndPlaceThatDrawsTheWholeScene) {
  SetMonitors(GetParam().rightIsPrimary);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({GetParam().argument}, Environment()));
  const auto windows = AwaitWindows(saver.pid(), 2);
  ASSERT_EQ(windows.size(), 2u) << saver.ErrorOutput();
  EXPECT_EQ(windows[0].second, kLeft);
  EXPECT_EQ(windows[1].second, kRight);
  for (const auto& [window, area] : windows) {
    EXPECT_TRUE(WaitFor([&] { return FillsItself(window, area); }, kDrawWait)) << "the window at " << area;
  }
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

INSTANTIATE_TEST_SUITE_P(Modes, SaverWindowsTest,
                         ::testing::Values(SaverCase{"/s", false}, SaverCase{"--root", false},
                                           SaverCase{"/s", true}),
                         [](const auto& info) {
                           return std::string(info.param.argument[0] == '/' ? "FullScreen" : "Root") +
                                  (info.param.rightIsPrimary ? "PrimaryOnTheRight" : "PrimaryOnTheLeft");
                         });

// The settings file with the second monitor set to show nothing, as dialog 201 stores it.
void LeaveSecondMonitorBlack(const std::string& configFolder) {
  const std::string registry = R"({"HKEY_CURRENT_USER": {"keys": {"Software": {"keys": {"Quillmoor": {"keys": {
    "Vistacraft Maker": {"keys": {"Screensaver": {"keys": {"Screen 2": {"values": {
      "Leave Black": {"type": 4, "data": "01000000"}}}}}}}}}}}}}})";
  std::filesystem::create_directories(configFolder + "/copperleaf");
  std::ofstream(configFolder + "/copperleaf/registry.json") << registry;
}

TEST_F(TwoMonitorsTest, LeaveBlackKeepsTheSecondMonitorBlackWhileTheFirstDraws) {
  SetMonitors(false);
  SaverProcess saver;
  LeaveSecondMonitorBlack(saver.folder() + "/config");
  ASSERT_TRUE(saver.Start({"/s"}, Environment()));
  const auto windows = AwaitWindows(saver.pid(), 2);
  ASSERT_EQ(windows.size(), 2u) << saver.ErrorOutput();
  ASSERT_EQ(windows[1].second, kRight);
  ASSERT_TRUE(WaitFor([&] { return FillsItself(windows[0].first, windows[0].second); }, kDrawWait));
  // Both monitors are presented in the same frame: a second device would have drawn by now. A
  // few more frames give it every chance.
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(AllBlack(windows[1].first, windows[1].second));
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

// With every core kept busy by ordinary programs, the idle-priority saver asked to end takes its
// windows off both monitors within seconds, although the kernel takes longer than that to retire
// its starved threads; it still ends with status 0.
TEST_F(TwoMonitorsTest, TheWindowsLeaveSoonAfterTheRequestWhileEveryCoreIsBusy) {
  SetMonitors(false);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"/s"}, Environment()));
  const auto windows = AwaitWindows(saver.pid(), 2);
  ASSERT_EQ(windows.size(), 2u) << saver.ErrorOutput();
  ASSERT_TRUE(WaitFor([&] { return FillsItself(windows[0].first, windows[0].second); }, kDrawWait));
  int status = 0;
  {
    const BusyCores busy;
    std::this_thread::sleep_for(1s);
    const auto asked = std::chrono::steady_clock::now();
    kill(saver.pid(), SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return WindowsOf(saver.pid()).empty(); }, 5s)) << "the windows stayed on the screen";
    std::printf("the screen was free %.3f s after the request\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count());
    ASSERT_TRUE(saver.WaitForExit(60, &status)) << "still running a minute after it was asked to end";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

class DialogTest : public TwoMonitorsTest {
 protected:
  // The program's visible top-level window with this title.
  std::optional<std::pair<Window, Area>> DialogNow(pid_t pid, const std::string& title) {
    std::optional<std::pair<Window, Area>> found;
    for (const auto& window : WindowsOf(pid)) {
      char* name = nullptr;
      if (XFetchName(viewer_, window.first, &name) && name != nullptr) {
        if (title == name) found = window;
        XFree(name);
      }
    }
    return found;
  }

  // The same, once it shows.
  std::optional<std::pair<Window, Area>> AwaitDialog(pid_t pid, const std::string& title) {
    std::optional<std::pair<Window, Area>> found;
    WaitFor([&] { return (found = DialogNow(pid, title)).has_value(); }, kWindowWait);
    return found;
  }

  void Click(Window window, int x, int y) {
    for (int type : {ButtonPress, ButtonRelease}) {
      XEvent event{};
      event.xbutton = XButtonEvent{type, 0, True, viewer_, window, DefaultRootWindow(viewer_), 0, CurrentTime,
                                   x, y, x, y, type == ButtonPress ? 0u : Button1Mask, Button1, True};
      XSendEvent(viewer_, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    }
    XFlush(viewer_);
  }

  // How many pixels of the square are dark: a chosen radio button shows its dot.
  int DarkPixels(Window window, int x, int y, int size) {
    XImage* image = XGetImage(viewer_, window, x, y, size, size, AllPlanes, ZPixmap);
    if (image == nullptr) return -1;
    int dark = 0;
    for (int j = 0; j < size; ++j)
      for (int i = 0; i < size; ++i) dark += (XGetPixel(image, i, j) & 0xFFFFFF) < 0x404040;
    XDestroyImage(image);
    return dark;
  }
};

class CentredDialogTest : public DialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CentredDialogTest, SettingsDialogIsCentredOnThePrimaryMonitor) {
  const bool rightIsPrimary = GetParam();
  SetMonitors(rightIsPrimary);
  SaverProcess saver;
  ASSERT_TRUE(saver.Start({"/c"}, Environment()));
  const auto settings = AwaitDialog(saver.pid(), "Copperleaf Screensaver");
  ASSERT_TRUE(settings) << saver.ErrorOutput();
  const Area primary = rightIsPrimary ? kRight : kLeft;
  const Area& shown = settings->second;
  // The window covers the client area; the title bar above it is a few pixels.
  EXPECT_NEAR(shown.x + shown.width / 2.0, primary.x + primary.width / 2.0, 2) << shown;
  EXPECT_NEAR(shown.y + shown.height / 2.0, primary.y + primary.height / 2.0, 16) << shown;
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

INSTANTIATE_TEST_SUITE_P(Primary, CentredDialogTest, ::testing::Values(false, true), [](const auto& info) {
  return std::string(info.param ? "OnTheRight" : "OnTheLeft");
});

TEST_F(DialogTest, DisplaySettingsShowOneTabPerMonitorWithItsOwnUsage) {
  SetMonitors(false);
  SaverProcess saver;
  LeaveSecondMonitorBlack(saver.folder() + "/config");
  ASSERT_TRUE(saver.Start({"/c"}, Environment()));
  const auto settings = AwaitDialog(saver.pid(), "Copperleaf Screensaver");
  ASSERT_TRUE(settings) << saver.ErrorOutput();
  // Dialog units of the settings dialog (236 by 196); the display settings use the same font.
  const double unitX = settings->second.width / 236.0;
  const double unitY = settings->second.height / 196.0;
  auto X = [&](double units) { return static_cast<int>(std::lround(units * unitX)); };
  auto Y = [&](double units) { return static_cast<int>(std::lround(units * unitY)); };
  // "Display Settings..." at 14,118 (94 by 14).
  Click(settings->first, X(14 + 47), Y(118 + 7));
  const auto display = AwaitDialog(saver.pid(), "Display Settings");
  ASSERT_TRUE(display) << saver.ErrorOutput();
  // Dialog 201 (301 by 290 units), the one with tabs; dialog 200 is 287 by 196.
  EXPECT_NEAR(display->second.width, 301 * unitX, 3);
  EXPECT_NEAR(display->second.height, 290 * unitY, 3);
  const Window page = display->first;
  // The radio buttons "Display screen saver on this monitor" (21,82) and "Display nothing on this
  // monitor" (21,95), 10 units high: their circles are the first 10 by 10 units.
  const int circle = std::min(X(10), Y(10));
  auto screenChosen = [&] { return DarkPixels(page, X(21), Y(82), circle) > DarkPixels(page, X(21), Y(95), circle); };
  auto nothingChosen = [&] { return DarkPixels(page, X(21), Y(95), circle) > DarkPixels(page, X(21), Y(82), circle); };
  EXPECT_TRUE(WaitFor(screenChosen, kWindowWait)) << "the first monitor shows the screen saver";
  // Clicks along the row of tabs (at 7,7 in the tab control), left to right: the last tab hit
  // stays chosen, and past the tabs a click chooses none.
  for (int x = X(10); x < X(7 + 287); x += 6) Click(page, x, Y(7) + 8);
  EXPECT_TRUE(WaitFor(nothingChosen, kWindowWait)) << "the second monitor shows nothing";
  // Cancel at 244,267 (50 by 14) closes it; the end request then meets the settings dialog alone.
  Click(page, X(244 + 25), Y(267 + 7));
  EXPECT_TRUE(WaitFor([&] { return !DialogNow(saver.pid(), "Display Settings"); }, kWindowWait));
  ExpectCleanEnd(saver, [&] { kill(saver.pid(), SIGTERM); });
}

}  // namespace
