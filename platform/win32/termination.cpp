#include "platform/win32/termination.h"

#include <signal.h>

#include <atomic>
#include <vector>

#include "platform/win32/window_manager.h"

namespace {

// Lock-free, so that the signal handler may set it.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// A request was carried out: the program is closing its windows.
std::atomic<bool> g_closing{false};

// Set with the request and kept once it is carried out, for the waits that a close request cuts short.
std::atomic<bool> g_everRequested{false};

void OnSignal(int) {
  g_requested.store(true);
  g_everRequested.store(true);
}

// Every signal whose default action ends the program and that a handler may catch: a manager, a
// shell closing its terminal, a timer or a CPU limit ending the run leaves nothing behind.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGXCPU};

}  // namespace

namespace win32 {

void HandleTerminationSignals() {
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // The handler stays: a repeated signal is the same request, so that the run still ends by its
  // own exit path (a run stuck for good is ended by SIGKILL, whose leftovers the next run removes).
  action.sa_flags = SA_RESTART;
  for (const int signal : kEndingSignals) sigaction(signal, &action, nullptr);
}

bool TerminationRequested() { return g_everRequested.load(); }

void RequestTermination() { OnSignal(0); }

namespace detail {

void CarryOutTermination() {
  if (!g_requested.load()) return;
  std::vector<HWND> topLevel;
  std::vector<HWND> inside;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    for (const auto& [key, window] : state.windows) {
      if (window->foreign || window->destroying) continue;
      if (!(window->style & WS_CHILD)) {
        topLevel.push_back(window->handle);
      } else {
        const auto parent = state.windows.find(reinterpret_cast<uintptr_t>(window->parent));
        if (parent != state.windows.end() && parent->second->foreign) inside.push_back(window->handle);
      }
    }
  }
  if (topLevel.empty() && inside.empty()) return;
  if (!g_requested.exchange(false)) return;
  g_closing.store(true);
  for (HWND window : topLevel) PostMessageW(window, WM_ACTIVATEAPP, FALSE, 0);
  for (HWND window : topLevel) PostMessageW(window, WM_CLOSE, 0, 0);
  for (HWND window : inside) DestroyWindow(window);
}

bool Closing() { return g_closing.load(); }

void ForgetTerminationRequest() {
  g_requested.store(false);
  g_everRequested.store(false);
  g_closing.store(false);
}

}  // namespace detail
}  // namespace win32
