#include "platform/win32/desktop_machine.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/machine/machine_json.h"
#include "platform/machine/text.h"
#include "platform/win32/given_window.h"
#include "platform/win32/x11_display.h"
#include "platform/win32/x11_monitors.h"

namespace win32 {

namespace {

void ListMode(machine::Adapter& adapter, const machine::DisplayMode& mode) {
  const bool listed = std::any_of(adapter.modes.begin(), adapter.modes.end(), [&](const machine::DisplayMode& other) {
    return other.width == mode.width && other.height == mode.height && other.refresh == mode.refresh;
  });
  if (!listed) adapter.modes.push_back(mode);
}

// One display device per monitor, each with an adapter of the default machine's kind; the primary
// monitor, which comes first, starts at the desktop's origin.
machine::Machine MonitorsMachine(const std::vector<x11::ScreenMonitor>& monitors) {
  const machine::Machine defaults = machine::DefaultMachine();
  machine::Machine desktop = defaults;
  desktop.displays.clear();
  desktop.adapters.clear();
  const x11::ScreenMonitor& primary = monitors.front();
  for (size_t i = 0; i < monitors.size(); ++i) {
    const x11::ScreenMonitor& monitor = monitors[i];
    machine::Display display = defaults.displays.front();
    const std::u16string name = u"\\\\.\\DISPLAY" + machine::WideFromUtf8(std::to_string(i + 1));
    display.name = name;
    display.monitorName = name + u"\\Monitor0";
    if (!monitor.name.empty()) display.monitorDescription = machine::WideFromUtf8(monitor.name);
    display.primary = monitor.primary;
    display.x = monitor.x - primary.x;
    display.y = monitor.y - primary.y;
    display.current = monitor.current;
    desktop.displays.push_back(display);

    machine::Adapter adapter = defaults.adapters.front();
    adapter.display = static_cast<int>(i);
    if (!monitor.modes.empty()) adapter.modes = monitor.modes;
    ListMode(adapter, monitor.current);
    desktop.adapters.push_back(adapter);
  }
  x11::SetDesktopOrigin(primary.x, primary.y);
  return desktop;
}

}  // namespace

machine::Machine DesktopMachine() {
  const char* description = std::getenv("COPPERLEAF_MACHINE");
  if (description != nullptr && *description != '\0') return machine::MachineFromEnvironment();
  machine::Machine desktop = machine::DefaultMachine();
  // Drawn into a window a manager gave, the one monitor is that window.
  RECT given{};
  if (GivenWindowArea(given)) {
    if (given.right <= given.left || given.bottom <= given.top) return desktop;
    machine::DisplayMode& current = desktop.displays[0].current;
    current.width = static_cast<uint32_t>(given.right - given.left);
    current.height = static_cast<uint32_t>(given.bottom - given.top);
    ListMode(desktop.adapters[0], current);
    return desktop;
  }
  const std::vector<x11::ScreenMonitor> monitors = x11::ScreenMonitors();
  return monitors.empty() ? desktop : MonitorsMachine(monitors);
}

}  // namespace win32
