// Monitors of the machine description: display i (an index into machine::Current().displays) that
// is attached to the desktop and not a mirroring driver has one monitor, whose handle is
// MonitorOfDisplay(i). Direct3D's adapters answer GetAdapterMonitor with the same handles.
#pragma once
#include <windows.h>

namespace win32 {

HMONITOR MonitorOfDisplay(int display);

// The display a monitor handle belongs to, or -1.
int DisplayOfMonitor(HMONITOR monitor);

}  // namespace win32
