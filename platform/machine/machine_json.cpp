#include "platform/machine/machine_json.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "platform/machine/text.h"

namespace machine {

namespace {

using nlohmann::json;

// Windows reports at most ten display devices to the host's enumeration; larger sizes would only
// serve to exhaust memory with a hostile file.
constexpr size_t kMaxDisplays = 10;
constexpr int64_t kMaxModeSide = 16384;
// Each monitor gets a window surface, a back buffer and a depth buffer of its size, or of its
// adapter's full-screen mode: beyond this many pixels over all monitors (eight 4096 x 2048 ones
// fit) a description would only exhaust memory.
constexpr uint64_t kMaxDesktopPixels = uint64_t{1} << 26;
// A description is a few kilobytes; a larger file is no description.
constexpr size_t kMaxDescriptionSize = 1 << 20;

struct Invalid : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Require(bool condition, const std::string& what) {
  if (!condition) throw Invalid(what);
}

std::string Quoted(const char* key) { return std::string("\"") + key + "\""; }

// A whole number within [low, high]. A fraction, a boolean or a string is no count or coordinate,
// and a value beyond the range must not wrap into it.
int64_t Integer(const json& value, const std::string& name, int64_t low, int64_t high) {
  Require(value.is_number_integer(), name + " must be a whole number");
  // Non-negative numbers are read as unsigned; those beyond the signed range are out of any range.
  const bool representable = !value.is_number_unsigned() || value.get<uint64_t>() <= uint64_t{INT64_MAX};
  const bool inRange = representable && value.get<int64_t>() >= low && value.get<int64_t>() <= high;
  Require(inRange, name + " is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")");
  return value.get<int64_t>();
}

std::optional<int64_t> ReadInteger(const json& object, const char* key, int64_t low, int64_t high,
                                   const std::string& context = "") {
  if (!object.contains(key)) return std::nullopt;
  return Integer(object.at(key), context + Quoted(key), low, high);
}

void Read(const json& object, const char* key, bool& out) {
  if (!object.contains(key)) return;
  Require(object.at(key).is_boolean(), Quoted(key) + " must be true or false");
  out = object.at(key).get<bool>();
}

void Read(const json& object, const char* key, int32_t& out, int64_t low = INT32_MIN, int64_t high = INT32_MAX) {
  if (auto value = ReadInteger(object, key, low, high)) out = static_cast<int32_t>(*value);
}

void Read(const json& object, const char* key, std::string& out) {
  if (!object.contains(key)) return;
  Require(object.at(key).is_string(), Quoted(key) + " must be a string");
  out = object.at(key).get<std::string>();
}

void Read(const json& object, const char* key, std::u16string& out) {
  std::string text;
  if (!object.contains(key)) return;
  Read(object, key, text);
  out = WideFromUtf8(text);
}

DisplayMode ReadMode(const json& object) {
  Require(object.is_object(), "a display mode must be an object");
  DisplayMode mode;
  auto read = [&](const char* key, uint32_t& out, int64_t low, int64_t high) {
    if (auto value = ReadInteger(object, key, low, high, "mode ")) out = static_cast<uint32_t>(*value);
  };
  read("width", mode.width, 1, kMaxModeSide);
  read("height", mode.height, 1, kMaxModeSide);
  read("refresh", mode.refresh, 0, 1000);
  read("bits", mode.bits, 16, 32);
  Require(mode.bits == 16 || mode.bits == 32, "mode \"bits\" must be 16 or 32");
  return mode;
}

std::vector<DisplayMode> ReadModes(const json& object, const char* key) {
  std::vector<DisplayMode> modes;
  if (!object.contains(key)) return modes;
  const json& list = object.at(key);
  Require(list.is_array(), Quoted(key) + " must be a list");
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
  // The monitor's rectangle is kept in 32-bit coordinates.
  Require(int64_t{display.x} + display.current.width <= INT32_MAX &&
              int64_t{display.y} + display.current.height <= INT32_MAX,
          "a display must end within the desktop: \"x\" + width and \"y\" + height at most 2147483647");
  display.monitorName = display.name + u"\\Monitor0";
  Read(object, "monitorName", display.monitorName);
  Read(object, "monitorDescription", display.monitorDescription);
  return display;
}

void ReadDeviceType(const json& object, const char* key, DeviceType& type) {
  if (!object.contains(key)) return;
  const json& entry = object.at(key);
  Require(entry.is_object(), Quoted(key) + " must be an object");
  Read(entry, "available", type.available);
  Read(entry, "hardwareTransformAndLight", type.hardwareTransformAndLight);
  Read(entry, "pureDevice", type.pureDevice);
  Read(entry, "bumpEnvMap", type.bumpEnvMap);
  Read(entry, "v8u8", type.v8u8);
}

Adapter ReadAdapter(const json& object, size_t displayCount) {
  Require(object.is_object(), "an adapter must be an object");
  Adapter adapter;
  Read(object, "display", adapter.display, 0, static_cast<int64_t>(displayCount) - 1);
  Read(object, "description", adapter.description);
  Read(object, "driver", adapter.driver);
  if (object.contains("deviceIdentifier")) {
    const json& bytes = object.at("deviceIdentifier");
    Require(bytes.is_array() && bytes.size() == 16, "\"deviceIdentifier\" must be a list of 16 bytes");
    for (size_t i = 0; i < 16; ++i)
      adapter.deviceIdentifier[i] = static_cast<uint8_t>(Integer(bytes[i], "a \"deviceIdentifier\" byte", 0, 255));
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
    for (const json& name : list) {
      Require(name.is_string(), "\"missingLibraries\" must be a list of names");
      faults.missingLibraries.push_back(WideFromUtf8(name.get<std::string>()));
    }
  }
  return faults;
}

// The desktop must fit 32-bit coordinates as a whole, and the monitors' buffers the memory.
void CheckDesktop(const Machine& machine) {
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  uint64_t pixels = 0;
  for (size_t i = 0; i < machine.displays.size(); ++i) {
    const Display& display = machine.displays[i];
    left = std::min<int64_t>(left, display.x);
    top = std::min<int64_t>(top, display.y);
    right = std::max<int64_t>(right, int64_t{display.x} + display.current.width);
    bottom = std::max<int64_t>(bottom, int64_t{display.y} + display.current.height);
    uint64_t largest = uint64_t{display.current.width} * display.current.height;
    for (const Adapter& adapter : machine.adapters) {
      if (adapter.display != static_cast<int>(i)) continue;
      for (const DisplayMode& mode : adapter.modes) largest = std::max(largest, uint64_t{mode.width} * mode.height);
    }
    pixels += largest;
  }
  Require(machine.displays.empty() || (right - left <= INT32_MAX && bottom - top <= INT32_MAX),
          "the displays must lie within 2147483647 pixels across and down");
  Require(pixels <= kMaxDesktopPixels, "the displays have more than " + std::to_string(kMaxDesktopPixels) +
                                           " pixels in all, more than the monitors' buffers could hold");
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
  CheckDesktop(machine);
  if (root.contains("faults")) machine.faults = ReadFaults(root.at("faults"));
  return machine;
}

// The description's text when the path names a regular file of a description's size. Whatever else
// it names (a FIFO, a device, a folder) is not read, so nothing blocks the start or reads for ever.
bool ReadDescription(const char* path, std::string& text, std::string& error) {
  struct stat st {};
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    error = std::string("cannot be read (") + std::strerror(errno) + ")";
    if (fd >= 0) ::close(fd);
    return false;
  }
  bool read = false;
  if (!S_ISREG(st.st_mode)) {
    error = "is not a regular file";
  } else if (static_cast<uintmax_t>(st.st_size) > kMaxDescriptionSize) {
    error = "is larger than " + std::to_string(kMaxDescriptionSize) + " bytes";
  } else {
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = std::string("cannot be read (") + std::strerror(errno) + ")";
        break;
      }
      if (n == 0) {
        read = true;
        break;
      }
      if (text.size() + static_cast<size_t>(n) > kMaxDescriptionSize) {
        error = "is larger than " + std::to_string(kMaxDescriptionSize) + " bytes";
        break;
      }
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return read;
}

}  // namespace

std::optional<Machine> ParseMachine(const std::string& text, std::string& error) {
  try {
    return ReadMachine(json::parse(text));
  } catch (const std::exception& e) {
    // Parse errors and the checks above all end here.
    error = e.what();
    return std::nullopt;
  }
}

Machine MachineFromEnvironment() {
  const char* path = std::getenv("COPPERLEAF_MACHINE");
  if (path == nullptr || *path == '\0') return DefaultMachine();
  std::string text, error;
  if (ReadDescription(path, text, error)) {
    if (auto machine = ParseMachine(text, error)) return *machine;
  }
  std::fprintf(stderr, "copperleaf: machine description %s: %s; using the default machine\n", path, error.c_str());
  return DefaultMachine();
}

}  // namespace machine
