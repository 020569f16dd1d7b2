#include <functional>
#include <ostream>
#include <string>

#include "platform/win32/surface.h"
#include "tests/host/host_fixture.h"

namespace {

std::u16string Text(const WCHAR* text) { return std::u16string(text); }

POINT ClientOrigin(HWND window) {
  POINT point = {0, 0};
  ScreenToClient(window, &point);
  return {-point.x, -point.y};
}

SIZE ClientSize(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(HostTest, OnlyNineDisplayDevicesBecomeMonitorsMirrorsNeverAndDetachedOnesHaveNoMonitor) {
  machine::Machine m;
  for (int i = 0; i < 11; ++i) m.displays.push_back(MakeDisplay(i, 800, 600, i * 800, 0));
  m.displays[1].mirroring = true;
  m.displays[3].attached = false;
  m.displays[4].monitorName = u"";  // a device without a monitor
  m.adapters.push_back(MakeAdapter(0, {{800, 600}}));
  machine::Install(m);

  HostProbe saver;
  saver.FindMonitors();
  ASSERT_EQ(saver.m_monitorCount, 9u);
  // Entries: displays 0, 2, 3, ..., 9 (the mirror is skipped, the tenth real device is dropped).
  const int shown[] = {0, 2, 3, 4, 5, 6, 7, 8, 9};
  for (UINT i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const std::string expected = "Adapter " + std::to_string(shown[i] + 1);
    EXPECT_EQ(Text(saver.m_monitors[i].adapterDescription), std::u16string(expected.begin(), expected.end()));
    EXPECT_EQ(saver.m_monitors[i].adapterIndex, -1);
    if (shown[i] == 3) {
      EXPECT_EQ(saver.m_monitors[i].monitor, nullptr);
    } else {
      EXPECT_NE(saver.m_monitors[i].monitor, nullptr);
      const LONG left = shown[i] * 800;
      EXPECT_EQ(saver.m_monitors[i].screenRect.left, left);
      EXPECT_EQ(saver.m_monitors[i].screenRect.right, left + 800);
      EXPECT_EQ(saver.m_monitors[i].screenRect.bottom, 600);
    }
  }
  EXPECT_EQ(Text(saver.m_monitors[0].monitorDescription), u"Monitor 1");
  EXPECT_EQ(Text(saver.m_monitors[3].monitorDescription), u"");
  EXPECT_EQ(Text(saver.m_monitors[4].monitorDescription), u"Monitor 6");
}

TEST_F(HostTest, FullScreenCoversEveryAttachedMonitorAndEndsOnAKey) {
  machine::Machine m = MachineWithMonitors(3);
  m.displays[1].attached = false;
  machine::Install(m);

  HostProbe saver;
  bool checked = false;
  saver.onRender = [&](HostProbe& s, int frame, UINT device) {
    if (frame != 2 || device != 0) return;
    checked = true;
    EXPECT_TRUE(win32::ScreenSaverRunning());
    EXPECT_EQ(s.m_deviceCount, 2u);
    ASSERT_NE(s.Window(0), nullptr);
    EXPECT_EQ(s.Window(1), nullptr);
    ASSERT_NE(s.Window(2), nullptr);
    EXPECT_EQ(ClientOrigin(s.Window(2)).x, 2048);
    EXPECT_EQ(ClientSize(s.Window(2)).cx, 1024);
    EXPECT_EQ(ClientSize(s.Window(2)).cy, 768);
    PostMessageW(s.Window(2), WM_KEYDOWN, 'A', 0);
  };
  saver.Start(u"saver.scr /s");
  EXPECT_TRUE(checked);
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_FALSE(win32::ScreenSaverRunning());
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(HostTest, TestWindowHasA600By400DeviceAndEndsWhenClosed) {
  HostProbe saver;
  bool checked = false;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame != 3) return;
    checked = true;
    EXPECT_EQ(ClientSize(s.m_mainWindow).cx, 600);
    EXPECT_EQ(ClientSize(s.m_mainWindow).cy, 400);
    ASSERT_EQ(s.m_deviceCount, 1u);
    EXPECT_TRUE(s.m_devices[0].presentParams.Windowed);
    // Until the scene draws, what is presented is black.
    const win32::Surface* surface = win32::WindowSurface(s.m_mainWindow);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->width, 600);
    for (uint32_t pixel : surface->pixels) ASSERT_EQ(pixel & 0xFFFFFF, 0u);
    DestroyWindow(s.m_mainWindow);
  };
  saver.Start(u"copperleaf /t");
  EXPECT_TRUE(checked);
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_EQ(Text(saver.m_windowTitle), u"Copperleaf Screensaver");
  EXPECT_TRUE(saver.m_useDepthBuffer);
}

TEST_F(HostTest, PreviewRunsInsideTheGivenWindowUntilItIsDestroyed) {
  HWND parent = nullptr;
  const std::u16string number = PreviewParent(152, 112, &parent);
  ASSERT_NE(parent, nullptr);

  HostProbe saver;
  bool checked = false;
  saver.onRender = [&](HostProbe& s, int frame, UINT) {
    if (frame != 2) return;
    checked = true;
    EXPECT_EQ(ClientOrigin(s.m_mainWindow).x, 100);
    EXPECT_EQ(ClientSize(s.m_mainWindow).cx, 152);
    EXPECT_EQ(ClientSize(s.m_mainWindow).cy, 112);
    DestroyWindow(parent);
  };
  saver.Start(u"saver.scr /p " + number);
  EXPECT_TRUE(checked);
  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(HostTest, PreviewOfAWindowThatDoesNotExistSaysSoAndEnds) {
  HostProbe saver;
  saver.Start(u"saver.scr /p 987654");
  EXPECT_EQ(saver.m_mainWindow, nullptr);
  EXPECT_EQ(saver.turns, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"There was an unspecified problem with this screen saver.");
}

TEST_F(HostTest, NoActionDoesNothing) {
  HostProbe saver;
  saver.Start(u"saver.scr /r");
  EXPECT_EQ(saver.m_mode, ScreensaverMode::NoAction);
  EXPECT_EQ(saver.m_mainWindow, nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(HostTest, ChangePasswordWithoutTheLibraryDoesNothing) {
  HostProbe saver;
  saver.Start(u"saver.scr /a 12");
  EXPECT_EQ(saver.m_mode, ScreensaverMode::ChangePassword);
  EXPECT_TRUE(boxes.empty());
}

struct StartFailure {
  const char* name;
  std::function<void(machine::Machine&)> change;
  HRESULT code;
  std::u16string message;
};

void PrintTo(const StartFailure& c, std::ostream* os) { *os << c.name; }

class StartFailureTest : public HostTest, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(StartFailureTest, ConfigureShowsTheMessageInsteadOfTheDialog) {
  machine::Machine m = machine::DefaultMachine();
  GetParam().change(m);
  machine::Install(m);
  HostProbe saver;
  saver.Start(u"saver.scr /c");
  EXPECT_TRUE(saver.m_errorMode);
  EXPECT_EQ(saver.m_errorCode, GetParam().code);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].caption, u"Copperleaf Screensaver");
  EXPECT_EQ(boxes[0].type, (UINT)MB_ICONERROR);
  EXPECT_EQ(boxes[0].text, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, StartFailureTest,
    ::testing::Values(
        StartFailure{"NoDirect3D", [](machine::Machine& m) { m.faults.direct3dMissing = true; },
                     (HRESULT)0x82000001,
                     u"Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX."},
        StartFailure{"NoBumpMapping",
                     [](machine::Machine& m) {
                       m.adapters[0].hal.bumpEnvMap = false;
                       m.adapters[0].sw.bumpEnvMap = false;
                     },
                     (HRESULT)0x82000003, u"Could not find any compatible Direct3D devices."},
        StartFailure{"NoV8U8",
                     [](machine::Machine& m) {
                       m.adapters[0].hal.v8u8 = false;
                       m.adapters[0].sw.v8u8 = false;
                     },
                     (HRESULT)0x82000003, u"Could not find any compatible Direct3D devices."}),
    [](const ::testing::TestParamInfo<StartFailure>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Refuses the creation of every full-screen window after the first.
class SecondWindowRefused : public HostProbe {
 public:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE && ++created > 1) return -1;
    return HostProbe::HandleMessage(window, message, wParam, lParam);
  }
  int created = 0;
};

TEST_F(HostTest, ASecondFullScreenWindowThatCannotBeMadeFailsTheStart) {
  machine::Install(MachineWithMonitors(2));
  SecondWindowRefused saver;
  saver.onTurn = [](HostProbe& s, int turn) {
    if (turn == 5) PostMessageW(s.m_mainWindow, WM_KEYDOWN, 'Q', 0);
  };
  saver.Start(u"s /s");
  EXPECT_NE(saver.Window(0), nullptr);
  EXPECT_EQ(saver.Window(1), nullptr);
  EXPECT_TRUE(saver.m_errorMode);
  EXPECT_EQ(saver.m_errorCode, E_FAIL);
  EXPECT_EQ(saver.frames, 0);
  EXPECT_FALSE(saver.stoppedBySafety) << "the first window still shows the error and takes the input";
}

}  // namespace
