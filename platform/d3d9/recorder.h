// A log of a device's calls for tests: each call with its arguments and the state it was made under
// (the state before the call takes effect).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/device_state.h"

namespace d3d9 {

struct RecordedCall {
  std::string name;             // the method, e.g. "DrawPrimitive"
  std::vector<uint64_t> args;   // integer arguments as passed; pointers as their address; floats as bits
  DeviceState state;
};

struct Recorder {
  bool enabled = false;
  std::vector<RecordedCall> calls;
};

// The recorder of one of this stand-in's devices (null for any other pointer). Setting `enabled`
// starts the log.
Recorder* RecorderOf(IDirect3DDevice9* device);

// Default-pool resources of the device that are still alive (a Reset fails while any is).
int LiveDefaultPoolResources(IDirect3DDevice9* device);

}  // namespace d3d9
