#include "tests/support/randr_monitors.h"

#include <memory>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

bool SetRandrMonitors(const std::string& name, const std::vector<RandrMonitor>& monitors) {
  std::unique_ptr<Display, decltype(&XCloseDisplay)> display(XOpenDisplay(name.c_str()), XCloseDisplay);
  if (!display) return false;
  const Window root = DefaultRootWindow(display.get());
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display.get(), root);
  if (resources == nullptr || resources->noutput < 1) {
    if (resources != nullptr) XRRFreeScreenResources(resources);
    return false;
  }
  const RROutput output = resources->outputs[0];
  XRRFreeScreenResources(resources);
  for (const RandrMonitor& wanted : monitors) {
    XRRMonitorInfo* monitor = XRRAllocateMonitor(display.get(), wanted.takesOutput ? 1 : 0);
    monitor->name = XInternAtom(display.get(), wanted.name.c_str(), False);
    monitor->primary = wanted.primary;
    monitor->x = wanted.x;
    monitor->y = wanted.y;
    monitor->width = wanted.width;
    monitor->height = wanted.height;
    monitor->mwidth = wanted.width / 4;
    monitor->mheight = wanted.height / 4;
    if (wanted.takesOutput) monitor->outputs[0] = output;
    XRRSetMonitor(display.get(), root, monitor);
    XRRFreeMonitors(monitor);
  }
  int count = 0;
  XRRMonitorInfo* reported = XRRGetMonitors(display.get(), root, True, &count);
  if (reported != nullptr) XRRFreeMonitors(reported);
  return count == static_cast<int>(monitors.size());
}
