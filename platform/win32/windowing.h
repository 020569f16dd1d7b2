// Test support: forgets every window, class, queue, timer and device context of the stand-in
// without sending a message, and closes the X11 connection (the next window opens it again from
// $DISPLAY). Tests call it between cases so that no window of one case leaks into the next.
#pragma once

namespace win32 {

void ResetWindowing();

}  // namespace win32
