// The monitors of the X11 screen, as the desktop shows them: RandR's monitors, else Xinerama's
// screens, else the whole screen as one monitor.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/machine/machine.h"

namespace win32::x11 {

struct ScreenMonitor {
  std::string name;  // RandR's name for it ("DP-1"); empty when the server gives none
  int32_t x = 0;     // in X11 screen coordinates
  int32_t y = 0;
  machine::DisplayMode current;
  bool primary = false;
  // The modes its outputs can show; empty for a monitor without outputs (one set by hand).
  std::vector<machine::DisplayMode> modes;
};

// The monitors of the default screen of $DISPLAY, exactly one of them primary (the first when the
// server marks none), listed primary first; empty without a display.
std::vector<ScreenMonitor> ScreenMonitors();

}  // namespace win32::x11
