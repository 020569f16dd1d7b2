// Monitors of an X server's screen set as `xrandr --setmonitor` sets them, for tests on an Xvfb.
#pragma once
#include <string>
#include <vector>

struct RandrMonitor {
  std::string name;
  int x, y, width, height;
  bool primary;
  bool takesOutput;  // shows the screen's first output, which hides the monitor the server made for it
};

// Sets the monitors on the server of `display` (":N"); false when it then does not report exactly them.
bool SetRandrMonitors(const std::string& display, const std::vector<RandrMonitor>& monitors);
