#include "platform/win32/desktop_machine.h"

#include <algorithm>
#include <cstdlib>

#include "platform/machine/machine_json.h"
#include "platform/win32/given_window.h"
#include "platform/win32/x11_display.h"

namespace win32 {

machine::Machine DesktopMachine() {
  const char* description = std::getenv("COPPERLEAF_MACHINE");
  if (description != nullptr && *description != '\0') return machine::MachineFromEnvironment();
  machine::Machine desktop = machine::DefaultMachine();
  int width = 0;
  int height = 0;
  // Drawn into a window a manager gave, the one monitor is that window.
  RECT given{};
  if (GivenWindowArea(given)) {
    width = given.right - given.left;
    height = given.bottom - given.top;
  } else if (!x11::ScreenSize(width, height)) {
    return desktop;
  }
  if (width <= 0 || height <= 0) return desktop;
  machine::DisplayMode& current = desktop.displays[0].current;
  current.width = static_cast<uint32_t>(width);
  current.height = static_cast<uint32_t>(height);
  auto& modes = desktop.adapters[0].modes;
  const bool listed = std::any_of(modes.begin(), modes.end(), [&](const machine::DisplayMode& mode) {
    return mode.width == current.width && mode.height == current.height && mode.refresh == current.refresh;
  });
  if (!listed) modes.push_back(current);
  return desktop;
}

}  // namespace win32
