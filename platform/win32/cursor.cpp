#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  win32::detail::State& state = win32::detail::GetState();
  std::lock_guard lock(state.mutex);
  HCURSOR previous = state.cursor;
  state.cursor = cursor;
  for (const auto& [key, window] : state.windows) {
    // The cursor over a window of another program is that program's to set.
    if (!window->foreign && window->native != 0 && !window->given) {
      win32::x11::HideCursor(window->native, cursor == nullptr);
    }
  }
  return previous;
}
