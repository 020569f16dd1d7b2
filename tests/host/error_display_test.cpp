// The error mode: which message a code shows, the message box, and the box that drifts across the
// saver windows.
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "platform/machine/clock.h"
#include "platform/win32/surface.h"
#include "tests/host/host_fixture.h"

namespace {

struct ErrorText {
  const char* name;
  HRESULT code;
  std::u16string text;
  BOOL own;  // whether the code has a message of its own
};

void PrintTo(const ErrorText& c, std::ostream* os) { *os << c.name; }

class ErrorTextTest : public HostTest, public ::testing::WithParamInterface<ErrorText> {};

TEST_P(ErrorTextTest, ShowsTheMessageOfTheCode) {
  HostProbe saver;
  WCHAR text[512];
  EXPECT_EQ(saver.GetErrorText(GetParam().code, text, 512), GetParam().own);
  EXPECT_EQ(std::u16string(text), GetParam().text);
}

const std::u16string kUnspecified = u"There was an unspecified problem with this screen saver.";

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorTextTest,
    ::testing::Values(
        ErrorText{"Fail", (HRESULT)0x80004005, kUnspecified, FALSE},
        ErrorText{"NoDirect3D", (HRESULT)0x82000001,
                  u"Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.", TRUE},
        ErrorText{"InitFailed", (HRESULT)0x82000007, u"Could not initialize the screen saver.", TRUE},
        ErrorText{"CreateDevice", (HRESULT)0x8200000e, u"Could not create the Direct3D device.", TRUE},
        ErrorText{"NoCompatible", (HRESULT)0x82000003, u"Could not find any compatible Direct3D devices.", TRUE},
        ErrorText{"NoHal", (HRESULT)0x82000005, u"No hardware-accelerated Direct3D devices were found.", TRUE},
        ErrorText{"HalLacks", (HRESULT)0x82000006,
                  u"This screen saver requires functionality that is not available on your Direct3D hardware "
                  u"accelerator.",
                  TRUE},
        ErrorText{"HalLacksOnDesktop", (HRESULT)0x82000009,
                  u"This screen saver requires functionality that is not available on your Direct3D hardware "
                  u"accelerator with the current desktop display settings.",
                  TRUE},
        ErrorText{"Media", (HRESULT)0x8200000b, u"Could not load required media.", TRUE},
        ErrorText{"Reset", (HRESULT)0x8200000c, u"Could not reset the Direct3D device.", TRUE},
        ErrorText{"Memory", (HRESULT)0x8007000e, u"Not enough memory.", TRUE},
        ErrorText{"VideoMemory", (HRESULT)0x8876017c, u"Not enough video memory.", TRUE},
        ErrorText{"NoPreview", (HRESULT)0x8200000f, u"No preview available", TRUE},
        // Codes without a row of their own.
        ErrorText{"DeviceObjects", (HRESULT)0x8200000d, kUnspecified, FALSE},
        ErrorText{"HostCodeWithoutRow", (HRESULT)0x82000002, kUnspecified, FALSE},
        ErrorText{"NoCode", 0, kUnspecified, FALSE},
        ErrorText{"Foreign", (HRESULT)0x88760868, kUnspecified, FALSE}),
    [](const ::testing::TestParamInfo<ErrorText>& info) { return std::string(info.param.name); });

TEST_F(HostTest, TheMessageBoxTruncatesToItsBuffer) {
  HostProbe saver;
  WCHAR text[12];
  saver.GetErrorText((HRESULT)0x8200000e, text, 12);
  EXPECT_EQ(std::u16string(text), u"Could not c");
}

machine::Machine WithoutBumpMapping(machine::Machine m) {
  for (machine::Adapter& adapter : m.adapters) {
    adapter.hal.bumpEnvMap = false;
    adapter.sw.bumpEnvMap = false;
  }
  return m;
}

machine::Machine OneMonitor(int width, int height) {
  machine::Machine m;
  m.displays.push_back(MakeDisplay(0, width, height));
  m.adapters.push_back(MakeAdapter(0, {{640, 480}, {(uint32_t)width, (uint32_t)height}}));
  return m;
}

uint32_t Pixel(HWND window, int x, int y) {
  const win32::Surface* surface = win32::WindowSurface(window);
  if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) return 0xDEADBEEF;
  return surface->pixels[(size_t)y * surface->width + x] & 0xFFFFFF;
}

// Pixels of the rectangle that are neither white nor black: the text's anti-aliased and dark strokes.
int DarkPixels(HWND window, const RECT& r) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (Pixel(window, x, y) != 0xFFFFFF) ++count;
  return count;
}

struct Turn {
  ErrorBox box;
  DWORD time;
};

TEST_F(HostTest, TheBoxStartsCentredAndTurnsAtTheEdgesOfA1920By1080Monitor) {
  machine::Install(WithoutBumpMapping(OneMonitor(1920, 1080)));
  HostProbe saver;
  saver.maxTurns = 1000;  // about 30 seconds: two turns at the sides, one at the bottom and one at the top
  std::vector<Turn> turns;
  bool painted = false;
  saver.onTurn = [&](HostProbe& s, int turn) {
    const ErrorBox& box = s.m_monitors[0].errorBox;
    turns.push_back({box, timeGetTime()});
    if (turn == 100) {
      // What the window shows: a white box with a black frame, the text inside, black around it.
      const HWND w = s.Window(0);
      const int x = (int)box.x, y = (int)box.y;
      EXPECT_EQ(Pixel(w, x + 3, y + 3), 0xFFFFFFu);
      EXPECT_EQ(Pixel(w, x + 296, y + 146), 0xFFFFFFu);
      EXPECT_EQ(Pixel(w, x, y + 70), 0u);
      EXPECT_EQ(Pixel(w, x + 299, y + 70), 0u);
      EXPECT_EQ(Pixel(w, x - 2, y + 70), 0u);
      EXPECT_EQ(Pixel(w, x + 302, y + 70), 0u);
      EXPECT_EQ(Pixel(w, 5, 5), 0u);
      // The text stays in the middle band of the box.
      EXPECT_GT(DarkPixels(w, {x + 1, y + 50, x + 299, y + 100}), 100);
      EXPECT_EQ(DarkPixels(w, {x + 1, y + 1, x + 299, y + 40}), 0);
      EXPECT_EQ(DarkPixels(w, {x + 1, y + 110, x + 299, y + 149}), 0);
      painted = true;
    }
  };
  saver.Start(u"s /s");
  EXPECT_EQ(saver.m_errorCode, (HRESULT)0x82000003);
  EXPECT_TRUE(painted);
  ASSERT_GT(turns.size(), 900u);

  const ErrorBox& first = turns[0].box;
  EXPECT_EQ(first.x, 810);
  EXPECT_EQ(first.y, 465);
  EXPECT_EQ(first.width, 300);
  EXPECT_EQ(first.height, 150);
  EXPECT_EQ(first.xSpeed, 192);
  EXPECT_EQ(first.ySpeed, 54);

  int xTurns = 0, yTurns = 0;
  float right = 0, left = 1920, bottom = 0, top = 1080;
  for (size_t i = 0; i < turns.size(); ++i) {
    SCOPED_TRACE(i);
    const ErrorBox& box = turns[i].box;
    ASSERT_GE(box.x, 0);
    ASSERT_LE(box.x + box.width, 1920);
    ASSERT_GE(box.y, 0);
    ASSERT_LE(box.y + box.height, 1080);
    ASSERT_EQ(std::fabs(box.xSpeed), 192);
    ASSERT_EQ(std::fabs(box.ySpeed), 54);
    right = std::max(right, box.x + box.width);
    left = std::min(left, box.x);
    bottom = std::max(bottom, box.y + box.height);
    top = std::min(top, box.y);
    if (i == 0) continue;
    const ErrorBox& before = turns[i - 1].box;
    if (box.xSpeed != before.xSpeed) ++xTurns;
    if (box.ySpeed != before.ySpeed) ++yTurns;
    // It moves at its speed: the step matches the time between the turns.
    const float dt = (float)(turns[i].time - turns[i - 1].time) / 1000;
    ASSERT_NEAR(std::fabs(box.x - before.x), 192 * dt, 0.01f);
  }
  EXPECT_GE(xTurns, 2);
  EXPECT_GE(yTurns, 1);
  // It turns close to the edges, not before.
  EXPECT_GT(right, 1920 - 10);
  EXPECT_LT(left, 10);
  EXPECT_GT(bottom, 1080 - 5);
}

TEST_F(HostTest, AStalledTurnOrTheWrapOfTheMillisecondClockKeepsTheBoxInItsArea) {
  machine::Install(WithoutBumpMapping(OneMonitor(1024, 768)));
  HostProbe saver;
  saver.maxTurns = 60;
  std::vector<ErrorBox> placed;
  saver.onTurn = [&](HostProbe& s, int turn) {
    placed.push_back(s.m_monitors[0].errorBox);
    if (turn == 10) machine::clock::Advance(int64_t{10} * 1'000'000'000);  // a ten-second stall
    if (turn == 20) {
      // Just before the millisecond clock wraps, so that the next turns cross it.
      const int64_t wrap = (int64_t{1} << 32) * 1'000'000;
      machine::clock::Advance(wrap - 60 * 1'000'000 - machine::clock::Now());
    }
  };
  saver.Start(u"s /s");
  ASSERT_EQ(placed.size(), 60u);
  for (size_t i = 1; i < placed.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_GE(placed[i].x, 0);
    ASSERT_LE(placed[i].x + placed[i].width, 1024);
    ASSERT_GE(placed[i].y, 0);
    ASSERT_LE(placed[i].y + placed[i].height, 768);
    // At most a quarter of a second's way in one turn.
    ASSERT_LE(std::fabs(placed[i].x - placed[i - 1].x), 102.4f * 0.25f + 0.01f);
  }
  EXPECT_GT(timeGetTime(), 0u);
  EXPECT_LT(timeGetTime(), 10'000u) << "the run went on past the wrap";
}

TEST_F(HostTest, ThePreviewMessageFillsTheWholeWindowAndStaysStill) {
  machine::Install(WithoutBumpMapping(machine::DefaultMachine()));
  HWND parent = nullptr;
  const std::u16string number = PreviewParent(152, 112, &parent);
  HostProbe saver;
  saver.maxTurns = 100;
  std::vector<ErrorBox> placed;
  saver.onTurn = [&](HostProbe& s, int turn) {
    placed.push_back(s.m_monitors[0].errorBox);
    if (turn == 30) {
      const HWND w = s.m_mainWindow;
      EXPECT_EQ(Pixel(w, 0, 0), 0u);  // the frame
      EXPECT_EQ(Pixel(w, 151, 111), 0u);
      EXPECT_EQ(Pixel(w, 2, 2), 0xFFFFFFu);
      EXPECT_EQ(Pixel(w, 149, 109), 0xFFFFFFu);
      EXPECT_GT(DarkPixels(w, {1, 1, 151, 111}), 100);
      DestroyWindow(parent);
    }
  };
  saver.Start(u"s /p " + number);
  EXPECT_FALSE(saver.stoppedBySafety);
  ASSERT_EQ(placed.size(), 30u);
  for (const ErrorBox& box : placed) {
    EXPECT_EQ(box.x, 0);
    EXPECT_EQ(box.y, 0);
    EXPECT_EQ(box.width, 152);
    EXPECT_EQ(box.height, 112);
    EXPECT_EQ(box.xSpeed, 0);
    EXPECT_EQ(box.ySpeed, 0);
  }
  EXPECT_EQ(std::u16string(saver.m_errorText), u"Could not find any compatible Direct3D devices.");
}

TEST_F(HostTest, EveryFullScreenMonitorShowsItsOwnBoxWhenOneDeviceFails) {
  machine::Machine m = MachineWithMonitors(2);
  m.displays[1].current = {800, 600, 60, 32};
  m.displays[1].x = 1024;
  for (const auto& mode : m.adapters[1].modes) m.faults.createDeviceRefuses.push_back(mode);
  machine::Install(m);
  HostProbe saver;
  saver.maxTurns = 3;
  ErrorBox placed[2] = {};
  UINT devicesLeft = 99;
  saver.onTurn = [&](HostProbe& s, int turn) {
    if (turn != 1) return;
    placed[0] = s.m_monitors[0].errorBox;
    placed[1] = s.m_monitors[1].errorBox;
    devicesLeft = s.m_deviceCount;
  };
  saver.Start(u"s /s");
  EXPECT_EQ(saver.m_errorCode, (HRESULT)0x8200000e);
  EXPECT_EQ(devicesLeft, 0u) << "the error box gives up every device";
  // Each box is centred in its own window's client coordinates.
  EXPECT_EQ(placed[0].x, (1024 - 300) / 2);
  EXPECT_EQ(placed[0].y, (768 - 150) / 2);
  EXPECT_EQ(placed[1].x, (800 - 300) / 2);
  EXPECT_EQ(placed[1].y, (600 - 150) / 2);
  EXPECT_FLOAT_EQ(placed[1].xSpeed, 80);
  EXPECT_FLOAT_EQ(placed[1].ySpeed, 30);
}

struct WindowedBox {
  const char* name;
  machine::Machine machine;
};

void PrintTo(const WindowedBox& c, std::ostream* os) { *os << c.name; }

class WindowedBoxTest : public HostTest, public ::testing::WithParamInterface<WindowedBox> {};

// The test window's box belongs to its window, whichever monitor the window is on.
TEST_P(WindowedBoxTest, TheTestWindowPaintsItsBox) {
  machine::Install(GetParam().machine);
  HostProbe saver;
  saver.maxTurns = 20;
  uint32_t centre = 0;
  saver.onTurn = [&](HostProbe& s, int turn) {
    if (turn != 10) return;
    const ErrorBox& box = s.m_monitors[0].errorBox;
    centre = Pixel(s.m_mainWindow, (int)box.x + 150, (int)box.y + 20);
  };
  saver.Start(u"s /t");
  EXPECT_TRUE(saver.m_errorMode);
  EXPECT_EQ(centre, 0xFFFFFFu);
}

machine::Machine FirstDeviceDetached() {
  machine::Machine m;
  m.displays.push_back(MakeDisplay(0, 1024, 768));
  m.displays.push_back(MakeDisplay(1, 1280, 1024));
  m.displays[0].attached = false;
  m.displays[0].primary = false;
  m.displays[1].primary = true;
  m.adapters.push_back(MakeAdapter(1, {{1280, 1024}}));
  return WithoutBumpMapping(m);
}

INSTANTIATE_TEST_SUITE_P(Machines, WindowedBoxTest,
                         ::testing::Values(WindowedBox{"FirstDisplayDeviceDetached", FirstDeviceDetached()},
                                           WindowedBox{"NoDisplayDevices", machine::Machine{}}),
                         [](const ::testing::TestParamInfo<WindowedBox>& info) { return std::string(info.param.name); });

TEST_F(HostTest, FullScreenWithoutAnyMonitorOnTheDesktopSaysSoAndEnds) {
  machine::Machine m = machine::DefaultMachine();
  m.displays[0].attached = false;
  machine::Install(m);
  HostProbe saver;
  saver.Start(u"s /s");
  EXPECT_EQ(saver.m_mainWindow, nullptr);
  EXPECT_EQ(saver.turns, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kUnspecified);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_FALSE(win32::ScreenSaverRunning());
}

// Destroys the preview window while the start-up wait runs.
class ClosedDuringTheWait : public HostProbe {
 public:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER) {
      waited = m_waitingForPreview != 0;
      DestroyWindow(window);
      return 0;
    }
    return HostProbe::HandleMessage(window, message, wParam, lParam);
  }
  bool waited = false;
};

TEST_F(HostTest, APreviewWindowDestroyedDuringTheStartUpWaitEndsTheRun) {
  const std::u16string number = PreviewParent(152, 112);
  ClosedDuringTheWait saver;
  saver.Start(u"s /p " + number);
  EXPECT_TRUE(saver.waited);
  EXPECT_EQ(saver.turns, 0);
}

}  // namespace
