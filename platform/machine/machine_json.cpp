#include "platform/machine/machine_json.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "platform/machine/text.h"

namespace machine {

namespace {

using nlohmann::json;

// Windows reports at most ten display devices to the host's enumeration; larger sizes would only
// serve to exhaust memory with a hostile file.
constexpr size_t kMaxDisplays = 10;
constexpr uint32_t kMaxModeSide = 16384;

struct Invalid : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Require(bool condition, const std::string& what) {
  if (!condition) throw Invalid(what);
}

void Read(const json& object, const char* key, bool& out) {
  if (object.contains(key)) out = object.at(key).get<bool>();
}

void Read(const json& object, const char* key, int32_t& out) {
  if (object.contains(key)) out = object.at(key).get<int32_t>();
}

void Read(const json& object, const char* key, int& out, int low, int high) {
  if (!object.contains(key)) return;
  const int64_t value = object.at(key).get<int64_t>();
  Require(value >= low && value <= high, std::string("\"") + key + "\" is out of range");
  out = static_cast<int>(value);
}

void Read(const json& object, const char* key, std::string& out) {
  if (object.contains(key)) out = object.at(key).get<std::string>();
}

void Read(const json& object, const char* key, std::u16string& out) {
  if (object.contains(key)) out = WideFromUtf8(object.at(key).get<std::string>());
}

DisplayMode ReadMode(const json& object) {
  Require(object.is_object(), "a display mode must be an object");
  DisplayMode mode;
  auto side = [&](const char* key, uint32_t& out) {
    if (!object.contains(key)) return;
    const int64_t value = object.at(key).get<int64_t>();
    Require(value > 0 && value <= kMaxModeSide, std::string("mode \"") + key + "\" is out of range");
    out = static_cast<uint32_t>(value);
  };
  side("width", mode.width);
  side("height", mode.height);
  if (object.contains("refresh")) {
    const int64_t refresh = object.at("refresh").get<int64_t>();
    Require(refresh >= 0 && refresh <= 1000, "mode \"refresh\" is out of range");
    mode.refresh = static_cast<uint32_t>(refresh);
  }
  if (object.contains("bits")) {
    const int64_t bits = object.at("bits").get<int64_t>();
    Require(bits == 16 || bits == 32, "mode \"bits\" must be 16 or 32");
    mode.bits = static_cast<uint32_t>(bits);
  }
  return mode;
}

std::vector<DisplayMode> ReadModes(const json& object, const char* key) {
  std::vector<DisplayMode> modes;
  if (!object.contains(key)) return modes;
  const json& list = object.at(key);
  Require(list.is_array(), std::string("\"") + key + "\" must be a list");
  for (const json& entry : list) modes.push_back(ReadMode(entry));
  return modes;
}

Display ReadDisplay(const json& object) {
  Require(object.is_object(), "a display must be an object");
  Display display;
  Read(object, "name", display.name);
  Require(!display.name.empty() && display.name.size() < 32, "a display needs a name of 1 to 31 characters");
  Read(object, "description", display.description);
  Read(object, "attached", display.attached);
  Read(object, "primary", display.primary);
  Read(object, "mirroring", display.mirroring);
  Read(object, "x", display.x);
  Read(object, "y", display.y);
  if (object.contains("mode")) display.current = ReadMode(object.at("mode"));
  display.monitorName = display.name + u"\\Monitor0";
  Read(object, "monitorName", display.monitorName);
  Read(object, "monitorDescription", display.monitorDescription);
  return display;
}

void ReadDeviceType(const json& object, const char* key, DeviceType& type) {
  if (!object.contains(key)) return;
  const json& entry = object.at(key);
  Require(entry.is_object(), std::string("\"") + key + "\" must be an object");
  Read(entry, "available", type.available);
  Read(entry, "hardwareTransformAndLight", type.hardwareTransformAndLight);
  Read(entry, "pureDevice", type.pureDevice);
  Read(entry, "bumpEnvMap", type.bumpEnvMap);
  Read(entry, "v8u8", type.v8u8);
}

Adapter ReadAdapter(const json& object, size_t displayCount) {
  Require(object.is_object(), "an adapter must be an object");
  Adapter adapter;
  Read(object, "display", adapter.display, 0, static_cast<int>(displayCount) - 1);
  Read(object, "description", adapter.description);
  Read(object, "driver", adapter.driver);
  if (object.contains("deviceIdentifier")) {
    const json& bytes = object.at("deviceIdentifier");
    Require(bytes.is_array() && bytes.size() == 16, "\"deviceIdentifier\" must be a list of 16 bytes");
    for (size_t i = 0; i < 16; ++i) {
      const int value = bytes[i].get<int>();
      Require(value >= 0 && value <= 255, "\"deviceIdentifier\" must be a list of 16 bytes");
      adapter.deviceIdentifier[i] = static_cast<uint8_t>(value);
    }
  }
  adapter.modes = ReadModes(object, "modes");
  ReadDeviceType(object, "hal", adapter.hal);
  ReadDeviceType(object, "ref", adapter.ref);
  ReadDeviceType(object, "sw", adapter.sw);
  return adapter;
}

Faults ReadFaults(const json& object) {
  Require(object.is_object(), "\"faults\" must be an object");
  Faults faults;
  Read(object, "deviceLostFromFrame", faults.deviceLostFromFrame, -1, INT32_MAX);
  Read(object, "deviceNotResetFromFrame", faults.deviceNotResetFromFrame, -1, INT32_MAX);
  Read(object, "direct3dMissing", faults.direct3dMissing);
  faults.createDeviceRefuses = ReadModes(object, "createDeviceRefuses");
  Read(object, "failResourceCreation", faults.failResourceCreation);
  Read(object, "failLocks", faults.failLocks);
  if (object.contains("missingLibraries")) {
    const json& list = object.at("missingLibraries");
    Require(list.is_array(), "\"missingLibraries\" must be a list");
    for (const json& name : list) faults.missingLibraries.push_back(WideFromUtf8(name.get<std::string>()));
  }
  return faults;
}

Machine ReadMachine(const json& root) {
  Require(root.is_object(), "a machine description must be an object");
  Machine machine = DefaultMachine();
  if (root.contains("displays")) {
    const json& list = root.at("displays");
    Require(list.is_array(), "\"displays\" must be a list");
    Require(list.size() <= kMaxDisplays, "at most ten displays");
    machine.displays.clear();
    for (const json& entry : list) machine.displays.push_back(ReadDisplay(entry));
  }
  if (root.contains("adapters")) {
    const json& list = root.at("adapters");
    Require(list.is_array(), "\"adapters\" must be a list");
    Require(list.size() <= kMaxDisplays, "at most ten adapters");
    machine.adapters.clear();
    for (const json& entry : list) machine.adapters.push_back(ReadAdapter(entry, machine.displays.size()));
  }
  for (const Adapter& adapter : machine.adapters) {
    Require(adapter.display >= 0 && static_cast<size_t>(adapter.display) < machine.displays.size(),
            "an adapter names a display that does not exist");
  }
  if (root.contains("faults")) machine.faults = ReadFaults(root.at("faults"));
  return machine;
}

}  // namespace

std::optional<Machine> ParseMachine(const std::string& text, std::string& error) {
  try {
    return ReadMachine(json::parse(text));
  } catch (const std::exception& e) {
    // Parse errors, wrong JSON types and the checks above all end here.
    error = e.what();
    return std::nullopt;
  }
}

Machine MachineFromEnvironment() {
  const char* path = std::getenv("COPPERLEAF_MACHINE");
  if (path == nullptr || *path == '\0') return DefaultMachine();
  std::ifstream file(path, std::ios::binary);
  std::string error = "cannot be read";
  if (file) {
    std::ostringstream text;
    text << file.rdbuf();
    if (auto machine = ParseMachine(text.str(), error)) return *machine;
  }
  std::fprintf(stderr, "copperleaf: machine description %s: %s; using the default machine\n", path, error.c_str());
  return DefaultMachine();
}

}  // namespace machine
