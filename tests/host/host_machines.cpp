#include <string>

#include "tests/host/host_fixture.h"

namespace {

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

machine::Display MakeDisplay(int index, int width, int height, int x, int y) {
  machine::Display display;
  const std::string name = "\\\\.\\DISPLAY" + std::to_string(index + 1);
  display.name = Wide(name);
  display.description = Wide("Adapter " + std::to_string(index + 1));
  display.primary = index == 0;
  display.x = x;
  display.y = y;
  display.current = {(uint32_t)width, (uint32_t)height, 60, 32};
  display.monitorName = Wide(name + "\\Monitor0");
  display.monitorDescription = Wide("Monitor " + std::to_string(index + 1));
  return display;
}

machine::Adapter MakeAdapter(int display, std::vector<std::pair<uint32_t, uint32_t>> modes) {
  machine::Adapter adapter;
  adapter.display = display;
  adapter.deviceIdentifier[0] = (uint8_t)(0xA0 + display);
  adapter.deviceIdentifier[15] = 0x5A;
  for (const auto& [width, height] : modes)
    for (uint32_t refresh : {60u, 75u}) adapter.modes.push_back({width, height, refresh, 32});
  return adapter;
}

machine::Machine MachineWithMonitors(int count, int width, int height) {
  machine::Machine result;
  for (int i = 0; i < count; ++i) {
    result.displays.push_back(MakeDisplay(i, width, height, i * width, 0));
    result.adapters.push_back(MakeAdapter(i, {{640, 480}, {800, 600}, {1024, 768}, {(uint32_t)width, (uint32_t)height}}));
  }
  return result;
}
