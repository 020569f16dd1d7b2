// Display devices, their settings and monitors, read from the machine description.
#include "platform/win32/monitor.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>

#include "platform/machine/machine.h"
#include "platform/win32/window_manager.h"

namespace {

constexpr uintptr_t kFirstMonitor = 0x00650001;

bool HasMonitor(const machine::Display& display) { return display.attached && !display.mirroring; }

RECT MonitorRect(const machine::Display& display) {
  return {display.x, display.y, display.x + static_cast<LONG>(display.current.width),
          display.y + static_cast<LONG>(display.current.height)};
}

template <size_t N>
void CopyName(WCHAR (&out)[N], const std::u16string& text) {
  const size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), length, out);
  out[length] = 0;
}

bool SameName(const std::u16string& a, LPCWSTR b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == 0 || lower(a[i]) != lower(b[i])) return false;
  }
  return b[i] == 0;
}

const machine::Display* FindDisplay(LPCWSTR name) {
  for (const auto& display : machine::Current().displays) {
    if (SameName(display.name, name)) return &display;
  }
  return nullptr;
}

int64_t Area(const RECT& a, const RECT& b) {
  const int64_t width = int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
  const int64_t height = int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
  return width > 0 && height > 0 ? width * height : 0;
}

// Squared distance from a rectangle to a monitor (0 when they touch or overlap).
int64_t Distance(const RECT& a, const RECT& b) {
  const int64_t dx = std::max<int64_t>({0, int64_t{b.left} - a.right, int64_t{a.left} - b.right});
  const int64_t dy = std::max<int64_t>({0, int64_t{b.top} - a.bottom, int64_t{a.top} - b.bottom});
  return dx * dx + dy * dy;
}

}  // namespace

namespace win32 {

HMONITOR MonitorOfDisplay(int display) {
  const auto& displays = machine::Current().displays;
  if (display < 0 || static_cast<size_t>(display) >= displays.size() || !HasMonitor(displays[display])) return nullptr;
  return reinterpret_cast<HMONITOR>(kFirstMonitor + display);
}

int DisplayOfMonitor(HMONITOR monitor) {
  const auto value = reinterpret_cast<uintptr_t>(monitor);
  if (value < kFirstMonitor) return -1;
  const auto display = static_cast<int64_t>(value - kFirstMonitor);
  return display < static_cast<int64_t>(machine::Current().displays.size()) &&
                 MonitorOfDisplay(static_cast<int>(display)) != nullptr
             ? static_cast<int>(display)
             : -1;
}

}  // namespace win32

BOOL WINAPI EnumDisplayDevicesW(LPCWSTR deviceName, DWORD index, PDISPLAY_DEVICEW device, DWORD) {
  if (device == nullptr || device->cb < offsetof(DISPLAY_DEVICEW, DeviceID)) return FALSE;
  const DWORD size = device->cb;
  std::u16string name;
  std::u16string description;
  DWORD flags = 0;
  if (deviceName == nullptr) {
    const auto& displays = machine::Current().displays;
    if (index >= displays.size()) return FALSE;
    const machine::Display& display = displays[index];
    name = display.name;
    description = display.description;
    if (display.attached) flags |= DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
    if (display.primary) flags |= DISPLAY_DEVICE_PRIMARY_DEVICE;
    if (display.mirroring) flags |= DISPLAY_DEVICE_MIRRORING_DRIVER;
  } else {
    // Each display device has at most its one monitor.
    const machine::Display* display = FindDisplay(deviceName);
    if (display == nullptr || index != 0 || display->monitorName.empty()) return FALSE;
    name = display->monitorName;
    description = display->monitorDescription;
    if (display->attached) flags |= DISPLAY_DEVICE_ACTIVE;
  }
  std::memset(reinterpret_cast<char*>(device) + sizeof(DWORD), 0, std::min<size_t>(size, sizeof *device) - sizeof(DWORD));
  CopyName(device->DeviceName, name);
  CopyName(device->DeviceString, description);
  device->StateFlags = flags;
  return TRUE;
}

BOOL WINAPI EnumDisplaySettingsW(LPCWSTR deviceName, DWORD modeNumber, DEVMODEW* mode) {
  if (mode == nullptr || modeNumber != ENUM_CURRENT_SETTINGS) return FALSE;
  const machine::Display* display = nullptr;
  if (deviceName == nullptr) {
    for (const auto& candidate : machine::Current().displays) {
      if (candidate.primary) display = &candidate;
    }
  } else {
    display = FindDisplay(deviceName);
  }
  if (display == nullptr || !display->attached) return FALSE;
  const WORD size = mode->dmSize;
  const WORD extra = mode->dmDriverExtra;
  *mode = DEVMODEW{};
  mode->dmSize = size;
  mode->dmDriverExtra = extra;
  mode->dmSpecVersion = 0x0401;
  CopyName(mode->dmDeviceName, display->name.substr(0, CCHDEVICENAME - 1));
  mode->dmFields = DM_POSITION | DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  mode->dmPosition = {display->x, display->y};
  mode->dmBitsPerPel = display->current.bits;
  mode->dmPelsWidth = display->current.width;
  mode->dmPelsHeight = display->current.height;
  mode->dmDisplayFrequency = display->current.refresh;
  return TRUE;
}

HMONITOR WINAPI MonitorFromRect(LPCRECT rect, DWORD flags) {
  if (rect == nullptr) return nullptr;
  const auto& displays = machine::Current().displays;
  int best = -1;
  int64_t bestArea = 0;
  int nearest = -1;
  int64_t nearestDistance = std::numeric_limits<int64_t>::max();
  int primary = -1;
  for (size_t i = 0; i < displays.size(); ++i) {
    if (!HasMonitor(displays[i])) continue;
    const RECT monitor = MonitorRect(displays[i]);
    const int64_t area = Area(*rect, monitor);
    if (area > bestArea) best = static_cast<int>(i), bestArea = area;
    const int64_t distance = Distance(*rect, monitor);
    if (distance < nearestDistance) nearest = static_cast<int>(i), nearestDistance = distance;
    if (primary < 0 || (displays[i].primary && !displays[primary].primary)) primary = static_cast<int>(i);
  }
  if (best < 0) {
    if (flags == MONITOR_DEFAULTTONEAREST) best = nearest;
    if (flags == MONITOR_DEFAULTTOPRIMARY) best = primary;
  }
  return win32::MonitorOfDisplay(best);
}

HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags) {
  RECT rect{};
  {
    win32::detail::State& state = win32::detail::GetState();
    std::lock_guard lock(state.mutex);
    win32::detail::Window* record = win32::detail::Resolve(state, window);
    if (record != nullptr) {
      // The whole window in screen coordinates.
      const POINT origin = win32::detail::ClientOrigin(state, *record);
      const RECT insets = record->foreign ? RECT{} : win32::detail::NonClientInsets(record->style, false);
      const LONG width = record->rect.right - record->rect.left;
      const LONG height = record->rect.bottom - record->rect.top;
      rect = {origin.x - insets.left, origin.y - insets.top, origin.x - insets.left + width,
              origin.y - insets.top + height};
    } else if (flags == MONITOR_DEFAULTTONULL) {
      return nullptr;
    }
  }
  return MonitorFromRect(&rect, flags);
}

BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
  if (info == nullptr || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXW))) return FALSE;
  const int index = win32::DisplayOfMonitor(monitor);
  if (index < 0) return FALSE;
  const machine::Display& display = machine::Current().displays[index];
  info->rcMonitor = MonitorRect(display);
  info->rcWork = info->rcMonitor;
  info->dwFlags = display.primary ? MONITORINFOF_PRIMARY : 0;
  if (info->cbSize == sizeof(MONITORINFOEXW)) CopyName(reinterpret_cast<MONITORINFOEXW*>(info)->szDevice, display.name);
  return TRUE;
}
