// Drawing into a window another program made (a screen-saver manager's, or the window a preview
// is asked to live in): the picture reaches it, the swap chain follows its size through a device
// reset, and the run ends with it. On an Xvfb of the test's own.
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>

#include "platform/win32/desktop_machine.h"
#include "platform/win32/given_window.h"
#include "tests/host/host_fixture.h"
#include "tests/support/given_x11_window.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>

namespace {

constexpr D3DCOLOR kFill = 0xFF3366CC;

SIZE ClientSize(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

SIZE BackBufferSize(IDirect3DDevice9* device) {
  IDirect3DSurface9* back = nullptr;
  D3DSURFACE_DESC desc = {};
  if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) && back) {
    back->GetDesc(&desc);
    back->Release();
  }
  return {static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

struct GivenCase {
  const char* name;
  bool fullScreen;  // drawn into the window itself ("/s"), else a preview inside it ("/p N")
  SIZE before;      // the window's size at the start and after the resize
  SIZE after;
};

void PrintTo(const GivenCase& c, std::ostream* os) { *os << c.name; }

class GivenWindowTest : public HostTest, public ::testing::WithParamInterface<GivenCase> {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<XvfbServer>("1024x768x24"); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    HostTest::SetUp();
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    setenv("DISPLAY", server_->display().c_str(), 1);
    viewer_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(viewer_, nullptr);
  }

  void TearDown() override {
    HostTest::TearDown();
    if (viewer_ != nullptr) XCloseDisplay(viewer_);
    viewer_ = nullptr;
    unsetenv("DISPLAY");
  }

  static inline std::unique_ptr<XvfbServer> server_;
  ::Display* viewer_ = nullptr;
};

TEST_P(GivenWindowTest, PictureReachesTheWindowFollowsItsSizeAndTheRunEndsWithIt) {
  const GivenCase& c = GetParam();
  const ::Window foreign = MakeGivenWindow(viewer_, 0, 0, c.before.cx, c.before.cy);
  std::u16string line = u"copperleaf /s";
  if (c.fullScreen) {
    win32::SetGivenWindow(foreign);
    machine::Install(win32::DesktopMachine());  // its one monitor is the given window
  } else {
    const std::string number = std::to_string(foreign);
    line = u"copperleaf /p " + std::u16string(number.begin(), number.end());
  }

  HostProbe saver;
  int resizedAt = 0;
  int followedAt = 0;
  int frameOfDestruction = 0;
  SIZE atStart = {};
  unsigned long drawnAtStart = 0;
  unsigned long drawnInNewArea = 0;
  SIZE windowFollowed = {};
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    IDirect3DDevice9* device = s.m_devices[0].device;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kFill, 1.0f, 0);
    if (frame == 3) {
      atStart = BackBufferSize(device);
      drawnAtStart = ShownPixel(viewer_, foreign, c.before.cx / 2, c.before.cy / 2);  // what frame 2 presented
      XResizeWindow(viewer_, foreign, c.after.cx, c.after.cy);
      XSync(viewer_, False);
      resizedAt = frame;
    } else if (resizedAt && !followedAt && BackBufferSize(device).cx == c.after.cx) {
      followedAt = frame;
      windowFollowed = ClientSize(s.Window(0));
    } else if (followedAt && frame == followedAt + 2) {
      drawnInNewArea = ShownPixel(viewer_, foreign, c.after.cx - 10, c.after.cy - 10);
      XDestroyWindow(viewer_, foreign);
      XSync(viewer_, False);
      frameOfDestruction = frame;
    }
  };
  saver.Start(line);

  // The swap chain is the window's size from the start, whatever display mode full screen chose.
  EXPECT_EQ(atStart.cx, c.before.cx);
  EXPECT_EQ(atStart.cy, c.before.cy);
  EXPECT_EQ(drawnAtStart, kFill & 0xFFFFFFu);
  ASSERT_GT(followedAt, 0) << "the swap chain never took the new size";
  EXPECT_EQ(windowFollowed.cx, c.after.cx);
  EXPECT_EQ(windowFollowed.cy, c.after.cy);
  EXPECT_EQ(drawnInNewArea, kFill & 0xFFFFFFu);
  // Followed as a device reset does: the device resources were released and restored once, then
  // released at the end; the scene was not made again.
  EXPECT_EQ(saver.deviceEvents, (std::vector<std::string>{"restore 0", "release 0", "restore 0", "release 0"}));
  EXPECT_GT(frameOfDestruction, 0);
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_LE(saver.frames, frameOfDestruction + 10);
  EXPECT_EQ(saver.m_deviceCount, 0u);
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, GivenWindowTest,
                         ::testing::Values(GivenCase{"FullScreenInTheWindow", true, {640, 480}, {800, 600}},
                                           // Smaller than any full-screen display mode.
                                           GivenCase{"FullScreenInASmallWindow", true, {320, 240}, {400, 300}},
                                           GivenCase{"PreviewInsideTheWindow", false, {640, 480}, {800, 600}},
                                           GivenCase{"PreviewShrinking", false, {400, 300}, {200, 150}}),
                         [](const ::testing::TestParamInfo<GivenCase>& info) { return std::string(info.param.name); });

// A window id that names no window (or could not be read) fails the full-screen start with the
// screensaver's message, and nothing is drawn anywhere else.
TEST_F(HostTest, FullScreenInAWindowThatDoesNotExistSaysSoAndEnds) {
  for (unsigned long id : {0x1234567ul, 0ul}) {
    SCOPED_TRACE(id);
    boxes.clear();
    win32::ResetWindowing();
    win32::SetGivenWindow(id);
    HostProbe saver;
    saver.Start(u"copperleaf /s");
    EXPECT_EQ(saver.m_mainWindow, nullptr);
    EXPECT_EQ(saver.turns, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"There was an unspecified problem with this screen saver.");
  }
}

}  // namespace
