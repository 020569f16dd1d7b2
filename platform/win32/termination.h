// SIGTERM and SIGINT end the program as closing its windows does, so that devices, sound and
// temporary files are given up by the program's own exit path. The handler only notes the request;
// the message queue carries it out on the thread that owns the windows, the next time it is asked
// for a message: the program is deactivated (WM_ACTIVATEAPP FALSE) and every top-level window gets
// WM_CLOSE; a window made inside another program's window is destroyed, as that window would
// destroy it. A modal dialog closed so closes its owner when it ends, so that every open dialog ends,
// the innermost first, each as its close box would end it. A request made while no window exists
// waits for one.
#pragma once

namespace win32 {

// Installs the handlers. A second signal of either kind ends the program at once, as if no handler
// had been installed, so that a program stuck before it reads its queue can still be stopped.
void HandleTerminationSignals();

// Notes a request to end, as the handlers do.
void RequestTermination();

}  // namespace win32

namespace win32::detail {

// Carries out a pending request when there is a window to close. Called by the message queue
// without its lock.
void CarryOutTermination();

// Whether a request was carried out: a modal dialog that ends then closes its owner in turn, since
// the owner could not take its own WM_CLOSE while the dialog was open over it.
bool Closing();

// Drops a pending request and the closing (the window system is being reset).
void ForgetTerminationRequest();

}  // namespace win32::detail
