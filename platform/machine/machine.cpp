#include "platform/machine/machine.h"

namespace machine {

namespace {

Machine& Installed() {
  static Machine machine = DefaultMachine();
  return machine;
}

}  // namespace

Machine DefaultMachine() {
  Machine machine;
  Display display;
  display.name = u"\\\\.\\DISPLAY1";
  display.description = u"Copperleaf Software Adapter";
  display.primary = true;
  display.monitorName = u"\\\\.\\DISPLAY1\\Monitor0";
  display.monitorDescription = u"Copperleaf Monitor";
  machine.displays.push_back(display);

  Adapter adapter;
  // A fixed identifier, so that a stored "Adapter ID" finds this adapter again on the next run.
  const uint8_t identifier[16] = {0x43, 0x4C, 0x46, 0x53, 0x57, 0x41, 0x44, 0x31,
                                  0x9A, 0x5E, 0x11, 0xD2, 0x80, 0x3C, 0x00, 0x01};
  for (int i = 0; i < 16; ++i) adapter.deviceIdentifier[i] = identifier[i];
  const uint32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (const auto& size : sizes) {
    for (uint32_t refresh : {60u, 75u}) adapter.modes.push_back({size[0], size[1], refresh, 32});
  }
  machine.adapters.push_back(adapter);
  return machine;
}

Machine& Current() { return Installed(); }

void Install(Machine machine) { Installed() = std::move(machine); }

}  // namespace machine
