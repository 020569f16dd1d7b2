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

void OnSignal(int) { g_requested.store(true); }

}  // namespace

namespace win32 {

void HandleTerminationSignals() {
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void RequestTermination() { g_requested.store(true); }

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
  g_closing.store(false);
}

}  // namespace detail
}  // namespace win32
