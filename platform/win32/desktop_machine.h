// The machine the executable runs on, installed by its entry point before WinMain.
#pragma once
#include "platform/machine/machine.h"

namespace win32 {

// The description named by COPPERLEAF_MACHINE (platform/machine/machine_json.h) when set; otherwise
// the default machine, whose one monitor takes the size of the window given to draw in (see
// given_window.h), or else of the X11 screen when a display is open (that size then also counts
// among its adapter's modes).
machine::Machine DesktopMachine();

}  // namespace win32
