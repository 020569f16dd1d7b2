// The machine the executable runs on, installed by its entry point before WinMain.
#pragma once
#include "platform/machine/machine.h"

namespace win32 {

// The description named by COPPERLEAF_MACHINE (platform/machine/machine_json.h) when set. Otherwise
// the default machine, whose one monitor takes the size of the window given to draw in (see
// given_window.h); or else, with a display, one display device per monitor of the X11 screen
// (x11_monitors.h), primary first, each with an adapter that lists the modes of that monitor's
// outputs (the default machine's where it has none) and its current size. The desktop's origin
// then lies at the primary monitor's top-left corner, as on Windows.
machine::Machine DesktopMachine();

}  // namespace win32
