#include "platform/win32/x11_identity.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "platform/win32/program_icon.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace win32::x11 {

namespace {

constexpr char kProgram[] = "copperleaf";

void SetCardinals(::Display* display, ::Window window, const char* property, const std::vector<long>& values) {
  XChangeProperty(display, window, XInternAtom(display, property, False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
}

}  // namespace

void NameWindow(_XDisplay* display, unsigned long window, const std::string& title) {
  // WM_NAME holds Latin-1 only; window managers show this UTF-8 one where they have it.
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
}

void IdentifyWindow(_XDisplay* display, unsigned long window, const std::string& title) {
  std::string name = kProgram;
  XClassHint hint{name.data(), name.data()};
  XSetClassHint(display, window, &hint);
  // The process id means something only together with the host it runs on.
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    XTextProperty machine{};
    char* hosts[] = {host};
    if (XStringListToTextProperty(hosts, 1, &machine) != 0) {
      XSetWMClientMachine(display, window, &machine);
      XFree(machine.value);
    }
  }
  SetCardinals(display, window, "_NET_WM_PID", {static_cast<long>(getpid())});
  // Format-32 properties travel as longs, one value each.
  const std::vector<uint32_t> icon = ProgramIcon();
  if (!icon.empty()) SetCardinals(display, window, "_NET_WM_ICON", std::vector<long>(icon.begin(), icon.end()));
  NameWindow(display, window, title);
}

}  // namespace win32::x11
