#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/machine/machine.h"
#include "platform/win32/monitor.h"

namespace {

class MonitorTest : public ::testing::Test {
 protected:
  void TearDown() override { machine::Install(machine::DefaultMachine()); }
};

machine::Display MakeDisplay(int n, bool attached, bool mirroring, int32_t x, uint32_t width, uint32_t height) {
  machine::Display display;
  const std::u16string digits(1, static_cast<char16_t>(u'0' + n % 10));
  display.name = u"\\\\.\\DISPLAY" + digits;
  display.description = u"Adapter " + digits;
  display.attached = attached;
  display.primary = n == 1;
  display.mirroring = mirroring;
  display.x = x;
  display.current = {width, height, 60, 32};
  display.monitorName = display.name + u"\\Monitor0";
  display.monitorDescription = u"Monitor " + digits;
  return display;
}

DISPLAY_DEVICEW Device() {
  DISPLAY_DEVICEW device{};
  device.cb = sizeof device;
  return device;
}

TEST_F(MonitorTest, DefaultMachineHasOnePrimary1024By768Monitor) {
  DISPLAY_DEVICEW device = Device();
  ASSERT_TRUE(EnumDisplayDevicesW(nullptr, 0, &device, 0));
  EXPECT_EQ(std::u16string(device.DeviceName), u"\\\\.\\DISPLAY1");
  EXPECT_EQ(device.StateFlags, DWORD{DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE});
  DISPLAY_DEVICEW second = Device();
  EXPECT_FALSE(EnumDisplayDevicesW(nullptr, 1, &second, 0));

  DISPLAY_DEVICEW monitor = Device();
  ASSERT_TRUE(EnumDisplayDevicesW(device.DeviceName, 0, &monitor, 0));
  EXPECT_EQ(std::u16string(monitor.DeviceName), u"\\\\.\\DISPLAY1\\Monitor0");
  EXPECT_FALSE(EnumDisplayDevicesW(device.DeviceName, 1, &monitor, 0));

  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  ASSERT_TRUE(EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode));
  EXPECT_EQ(mode.dmPelsWidth, 1024u);
  EXPECT_EQ(mode.dmPelsHeight, 768u);
  EXPECT_EQ(mode.dmBitsPerPel, 32u);
  EXPECT_EQ(mode.dmPosition.x, 0);
  EXPECT_EQ(mode.dmSize, sizeof mode);

  const RECT screen{0, 0, 1024, 768};
  HMONITOR handle = MonitorFromRect(&screen, MONITOR_DEFAULTTONULL);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle, win32::MonitorOfDisplay(0));
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(handle, &info));
  EXPECT_EQ(info.rcMonitor.right, 1024);
  EXPECT_EQ(info.rcMonitor.bottom, 768);
  EXPECT_EQ(info.dwFlags, DWORD{MONITORINFOF_PRIMARY});
  EXPECT_FALSE(GetMonitorInfoW(nullptr, &info));
}

// Ten devices: two mirroring drivers and one detached among them.
TEST_F(MonitorTest, TenDevicesWithMirroringAndDetachedOnesComeFromTheDescription) {
  machine::Machine described;
  int32_t x = 0;
  for (int n = 1; n <= 10; ++n) {
    const bool mirroring = n == 3 || n == 7;
    const bool attached = n != 5;
    described.displays.push_back(MakeDisplay(n, attached, mirroring, x, 800, 600));
    x += 800;
  }
  described.displays[9].monitorName.clear();  // a device with no monitor
  machine::Install(described);

  for (DWORD i = 0; i < 10; ++i) {
    DISPLAY_DEVICEW device = Device();
    ASSERT_TRUE(EnumDisplayDevicesW(nullptr, i, &device, 0)) << i;
    const bool mirroring = i == 2 || i == 6;
    EXPECT_EQ((device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0, mirroring) << i;
    EXPECT_EQ((device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0, i != 4) << i;
    EXPECT_EQ((device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0, i == 0) << i;
    DISPLAY_DEVICEW monitor = Device();
    EXPECT_EQ(EnumDisplayDevicesW(device.DeviceName, 0, &monitor, 0) != FALSE, i != 9) << i;
    const RECT area{static_cast<LONG>(i) * 800 + 100, 100, static_cast<LONG>(i) * 800 + 200, 200};
    const HMONITOR expected = i == 2 || i == 6 || i == 4 ? nullptr : win32::MonitorOfDisplay(static_cast<int>(i));
    EXPECT_EQ(MonitorFromRect(&area, MONITOR_DEFAULTTONULL), expected) << i;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    EXPECT_EQ(EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode) != FALSE, i != 4) << i;
    if (i != 4) {
      EXPECT_EQ(mode.dmPosition.x, static_cast<LONG>(i) * 800);
    }
  }
  DISPLAY_DEVICEW eleventh = Device();
  EXPECT_FALSE(EnumDisplayDevicesW(nullptr, 10, &eleventh, 0));
  EXPECT_EQ(win32::DisplayOfMonitor(win32::MonitorOfDisplay(8)), 8);
}

TEST_F(MonitorTest, RectanglesFindTheMonitorTheyCoverMostOrTheNearestOrThePrimary) {
  machine::Machine described;
  described.displays.push_back(MakeDisplay(1, true, false, 0, 1024, 768));
  described.displays.push_back(MakeDisplay(2, true, false, 1024, 1280, 1024));
  machine::Install(described);
  const HMONITOR first = win32::MonitorOfDisplay(0);
  const HMONITOR second = win32::MonitorOfDisplay(1);
  struct Case {
    RECT rect;
    DWORD flags;
    HMONITOR expected;
  };
  const Case cases[] = {
      {{900, 0, 1200, 100}, MONITOR_DEFAULTTONULL, second},    // more of it on the second
      {{1000, 0, 1040, 100}, MONITOR_DEFAULTTONULL, first},    // more of it on the first
      {{3000, 0, 3100, 100}, MONITOR_DEFAULTTONULL, nullptr},  // off every monitor
      {{3000, 0, 3100, 100}, MONITOR_DEFAULTTONEAREST, second},
      {{-500, -500, -400, -400}, MONITOR_DEFAULTTONEAREST, first},
      {{3000, 0, 3100, 100}, MONITOR_DEFAULTTOPRIMARY, first},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MonitorFromRect(&c.rect, c.flags), c.expected) << c.rect.left << " " << c.flags;
  }
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(second, reinterpret_cast<MONITORINFO*>(&info)));
  EXPECT_EQ(info.rcMonitor.left, 1024);
  EXPECT_EQ(info.rcMonitor.right, 2304);
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_EQ(std::u16string(info.szDevice), u"\\\\.\\DISPLAY2");
}

}  // namespace
