// SIGTERM, SIGINT and every other catchable signal that would end the program (SIGHUP, SIGUSR1,
// SIGUSR2, SIGPIPE, SIGALRM, SIGXCPU) end it as closing its windows does, so that devices, sound and
// temporary files are given up by the program's own exit path. The handler only notes the request;
// the message queue carries it out on the thread that owns the windows, the next time it is asked
// for a message: the program is deactivated (WM_ACTIVATEAPP FALSE) and every top-level window gets
// WM_CLOSE; a window made inside another program's window is destroyed, as that window would
// destroy it. A modal dialog closed so closes its owner when it ends, so that every open dialog ends,
// the innermost first, each as its close box would end it. A request made while no window exists
// waits for one.
#pragma once

namespace win32 {

// Installs the handlers. A repeated signal is the same request again.
void HandleTerminationSignals();

// A run at idle priority on a busy machine may wait many seconds for the processor before it takes
// its exit path, and again on that path, while its music plays on. From this call on, a watcher at
// the caller's priority takes the ending signals, calls `atRequest` at the first request to end or
// when the exit path begins (the program silences itself there), and ends the process two seconds
// later when it is still running then (ten when its exit path had begun by then): it removes the
// run's temporary folder, ends its connections to the window system and the sound server, and
// exits with the status the exit path would have given (0 before it began); the locks go with the
// process. Call it before the program lowers its priority and before it makes any thread.
void WatchTheEnd(void (*atRequest)());

// The watcher's thread name, as the system shows it.
inline constexpr char kEndWatcherThreadName[] = "end watcher";

// The program's own exit path begins and will end the process with `code`: the watcher ends it
// with that status should it still run ten seconds after the first request or this call.
void EndPathTaken(int code);

// Notes a request to end, as the handlers do.
void RequestTermination();

// Whether an end was requested in this run (it stays true once the request is carried out), for
// waits that must not hold up the end.
bool TerminationRequested();

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
