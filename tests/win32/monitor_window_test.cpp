#include "window_fixture.h"

#include "platform/win32/monitor.h"

namespace {

TEST_F(WindowTest, MonitorFromWindowFindsTheMonitorAFullScreenWindowCovers) {
  machine::Machine described = machine::DefaultMachine();
  machine::Display right = described.displays[0];
  right.name = u"\\\\.\\DISPLAY2";
  right.primary = false;
  right.x = 1024;
  described.displays.push_back(right);
  machine::Install(described);
  HWND left = Make(WS_POPUP | WS_VISIBLE, {0, 0, 1024, 768}, nullptr, WS_EX_TOPMOST);
  HWND covering = Make(WS_POPUP | WS_VISIBLE, {1024, 0, 2048, 768}, left, WS_EX_TOPMOST);
  EXPECT_EQ(MonitorFromWindow(left, MONITOR_DEFAULTTONEAREST), win32::MonitorOfDisplay(0));
  EXPECT_EQ(MonitorFromWindow(covering, MONITOR_DEFAULTTONEAREST), win32::MonitorOfDisplay(1));
  HWND child = Make(WS_CHILD | WS_VISIBLE, {10, 10, 100, 100}, covering);
  EXPECT_EQ(MonitorFromWindow(child, MONITOR_DEFAULTTONULL), win32::MonitorOfDisplay(1));
  EXPECT_EQ(MonitorFromWindow(reinterpret_cast<HWND>(uintptr_t{3}), MONITOR_DEFAULTTONULL), nullptr);
}

}  // namespace
