#include "platform/win32/x11_monitors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

namespace win32::x11 {

namespace {

constexpr uint32_t kUnknownRefresh = 60;

// An output that went away between two requests must not end the process, as Xlib's default
// handler would: its monitor then simply lists fewer modes.
int IgnoreError(::Display*, XErrorEvent*) { return 0; }

uint32_t Refresh(const XRRModeInfo& mode) {
  const double pixels = static_cast<double>(mode.hTotal) * mode.vTotal;
  if (pixels <= 0 || mode.dotClock == 0) return kUnknownRefresh;
  const auto refresh = static_cast<uint32_t>(std::lround(static_cast<double>(mode.dotClock) / pixels));
  return refresh > 0 ? refresh : kUnknownRefresh;
}

const XRRModeInfo* FindMode(const XRRScreenResources& resources, RRMode id) {
  for (int i = 0; i < resources.nmode; ++i) {
    if (resources.modes[i].id == id) return &resources.modes[i];
  }
  return nullptr;
}

// The modes of the monitor's outputs, and the refresh rate of the mode its first lit output shows.
void ReadOutputs(::Display* display, XRRScreenResources& resources, const XRRMonitorInfo& info, ScreenMonitor& out) {
  bool refreshKnown = false;
  for (int o = 0; o < info.noutput; ++o) {
    std::unique_ptr<XRROutputInfo, decltype(&XRRFreeOutputInfo)> output(
        XRRGetOutputInfo(display, &resources, info.outputs[o]), XRRFreeOutputInfo);
    if (!output) continue;
    for (int m = 0; m < output->nmode; ++m) {
      const XRRModeInfo* mode = FindMode(resources, output->modes[m]);
      if (mode == nullptr) continue;
      const machine::DisplayMode listed{mode->width, mode->height, Refresh(*mode), 32};
      const bool known = std::any_of(out.modes.begin(), out.modes.end(), [&](const machine::DisplayMode& other) {
        return other.width == listed.width && other.height == listed.height && other.refresh == listed.refresh;
      });
      if (!known) out.modes.push_back(listed);
    }
    if (refreshKnown || output->crtc == 0) continue;
    std::unique_ptr<XRRCrtcInfo, decltype(&XRRFreeCrtcInfo)> crtc(XRRGetCrtcInfo(display, &resources, output->crtc),
                                                                   XRRFreeCrtcInfo);
    if (!crtc) continue;
    if (const XRRModeInfo* mode = FindMode(resources, crtc->mode)) {
      out.current.refresh = Refresh(*mode);
      refreshKnown = true;
    }
  }
}

std::vector<ScreenMonitor> RandrMonitors(::Display* display) {
  std::vector<ScreenMonitor> found;
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
      major * 100 + minor < 105) {
    return found;
  }
  const ::Window root = DefaultRootWindow(display);
  int count = 0;
  std::unique_ptr<XRRMonitorInfo, decltype(&XRRFreeMonitors)> monitors(XRRGetMonitors(display, root, True, &count),
                                                                       XRRFreeMonitors);
  if (!monitors) return found;
  std::unique_ptr<XRRScreenResources, decltype(&XRRFreeScreenResources)> resources(
      XRRGetScreenResourcesCurrent(display, root), XRRFreeScreenResources);
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& info = monitors.get()[i];
    if (info.width <= 0 || info.height <= 0) continue;
    ScreenMonitor monitor;
    if (char* name = XGetAtomName(display, info.name)) {
      monitor.name = name;
      XFree(name);
    }
    monitor.x = info.x;
    monitor.y = info.y;
    monitor.current = {static_cast<uint32_t>(info.width), static_cast<uint32_t>(info.height), kUnknownRefresh, 32};
    monitor.primary = info.primary != 0;
    if (resources) ReadOutputs(display, *resources, info, monitor);
    found.push_back(std::move(monitor));
  }
  return found;
}

std::vector<ScreenMonitor> XineramaMonitors(::Display* display) {
  std::vector<ScreenMonitor> found;
  int eventBase = 0;
  int errorBase = 0;
  if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display)) return found;
  int count = 0;
  XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
  if (screens == nullptr) return found;
  for (int i = 0; i < count; ++i) {
    if (screens[i].width <= 0 || screens[i].height <= 0) continue;
    ScreenMonitor monitor;
    monitor.x = screens[i].x_org;
    monitor.y = screens[i].y_org;
    monitor.current = {static_cast<uint32_t>(screens[i].width), static_cast<uint32_t>(screens[i].height),
                       kUnknownRefresh, 32};
    found.push_back(std::move(monitor));
  }
  XFree(screens);
  return found;
}

}  // namespace

std::vector<ScreenMonitor> ScreenMonitors() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return {};
  std::unique_ptr<::Display, decltype(&XCloseDisplay)> display(XOpenDisplay(name), XCloseDisplay);
  if (!display) return {};
  const auto previous = XSetErrorHandler(IgnoreError);
  std::vector<ScreenMonitor> monitors = RandrMonitors(display.get());
  if (monitors.empty()) monitors = XineramaMonitors(display.get());
  if (monitors.empty()) {
    ScreenMonitor whole;
    const int screen = DefaultScreen(display.get());
    whole.current = {static_cast<uint32_t>(DisplayWidth(display.get(), screen)),
                     static_cast<uint32_t>(DisplayHeight(display.get(), screen)), kUnknownRefresh, 32};
    monitors.push_back(whole);
  }
  XSync(display.get(), False);
  XSetErrorHandler(previous);
  // The desktop has one primary monitor, and it comes first.
  auto primary = std::find_if(monitors.begin(), monitors.end(), [](const ScreenMonitor& m) { return m.primary; });
  if (primary == monitors.end()) primary = monitors.begin();
  primary->primary = true;
  std::for_each(std::next(primary), monitors.end(), [](ScreenMonitor& m) { m.primary = false; });
  std::rotate(monitors.begin(), primary, std::next(primary));
  return monitors;
}

}  // namespace win32::x11
