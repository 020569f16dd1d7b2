// What an open dialog looks like now, as it shows on its window and in COPPERLEAF_FRAMES.
#pragma once
#include <windows.h>

#include "platform/win32/surface.h"

namespace win32 {

// The dialog's client area with every visible control and any open combo box list drawn in; an
// empty surface for a window that is no open dialog.
Surface DialogPicture(HWND dialog);

}  // namespace win32
