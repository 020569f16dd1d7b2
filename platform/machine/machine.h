// The simulated machine: what Windows would find on real hardware (display devices, monitors,
// Direct3D adapters) and the faults a test injects. Win32 and Direct3D read the same description,
// so that the monitor handles of both agree.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace machine {

struct DisplayMode {
  uint32_t width = 1024;
  uint32_t height = 768;
  uint32_t refresh = 60;
  uint32_t bits = 32;
};

// One display device of EnumDisplayDevicesW, with its first monitor.
struct Display {
  std::u16string name;         // "\\.\DISPLAY1"
  std::u16string description;  // adapter string
  bool attached = true;
  bool primary = false;
  bool mirroring = false;
  int32_t x = 0;  // desktop position of the monitor
  int32_t y = 0;
  DisplayMode current;
  std::u16string monitorName;  // "\\.\DISPLAY1\Monitor0"
  std::u16string monitorDescription;
};

// The answers of one Direct3D device type (HAL, REF, SW) on an adapter.
struct DeviceType {
  bool available = true;
  bool hardwareTransformAndLight = true;
  bool pureDevice = true;
  bool bumpEnvMap = true;
  bool v8u8 = true;
  // Depth formats (D3DFORMAT values) CheckDeviceFormat and CheckDepthStencilMatch accept:
  // D16, D24X8, D24S8, D32.
  std::vector<uint32_t> depthFormats{80, 77, 75, 71};
};

// One Direct3D adapter, shown on the monitor of display `display` (index into Machine::displays).
struct Adapter {
  int display = 0;
  std::string description = "Copperleaf Software Adapter";
  std::string driver = "copperleaf.drv";
  uint8_t deviceIdentifier[16] = {};
  std::vector<DisplayMode> modes;  // X8R8G8B8 modes, several refresh rates each
  DeviceType hal;
  DeviceType ref{false, false, false, true, true};
  DeviceType sw{true, false, false, true, true};
};

// Injected faults; a frame counts the device's Present calls.
struct Faults {
  int deviceLostFromFrame = -1;
  int deviceNotResetFromFrame = -1;
  bool direct3dMissing = false;
  std::vector<DisplayMode> createDeviceRefuses;  // CreateDevice fails in these full-screen modes
  bool createWindowedDeviceFails = false;       // CreateDevice fails for every windowed device
  bool beginSceneFails = false;
  bool failResourceCreation = false;
  bool failLocks = false;
  std::vector<std::u16string> missingLibraries;
};

struct Machine {
  std::vector<Display> displays;
  std::vector<Adapter> adapters;
  Faults faults;
};

// The default machine: one 1024 x 768 monitor with one HAL adapter that can bump-map V8U8 textures.
Machine DefaultMachine();

// The machine every platform call answers from. The executable loads it from COPPERLEAF_MACHINE or
// the default; tests install their own.
Machine& Current();
void Install(Machine machine);

}  // namespace machine
