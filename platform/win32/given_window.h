// Full screen in a window another program gives (a screen-saver manager's): the first top-level
// popup window draws into that X11 window instead of one of its own, takes its size whenever it
// changes, and the program closes as on SIGTERM when that window goes away.
#pragma once
#include <windows.h>

namespace win32 {

// `window` 0 stands for an id that could not be read: the popup then cannot be made.
void SetGivenWindow(unsigned long window);

// The given window's area in screen coordinates, when one is given and exists.
bool GivenWindowArea(RECT& area);

}  // namespace win32
