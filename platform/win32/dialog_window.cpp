// Where a dialog shows: centred on its owner or on the primary monitor, and on a display in an X11
// window of its own that the window manager keeps above its owner.
#include <algorithm>

#include "platform/win32/dialog_record.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

namespace win32::controls {

void PlaceDialog(HWND dialog) {
  RECT frame{};
  RECT around{};
  bool owned = false;
  {
    detail::State& state = detail::GetState();
    std::lock_guard lock(state.mutex);
    detail::Window* window = detail::Find(state, dialog);
    if (window == nullptr) return;
    frame = window->rect;
    if (window->owner != nullptr) {
      if (detail::Window* owner = detail::Resolve(state, window->owner)) {
        around = owner->rect;
        owned = true;
      }
    }
  }
  if (!owned) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &info)) return;
    around = info.rcWork;
  }
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  LONG x = around.left + (around.right - around.left - width) / 2;
  LONG y = around.top + (around.bottom - around.top - height) / 2;
  // Never off the monitor that shows it, wherever the owner is.
  const RECT placed{x, y, x + width, y + height};
  MONITORINFO shown{};
  shown.cbSize = sizeof shown;
  if (GetMonitorInfoW(MonitorFromRect(&placed, MONITOR_DEFAULTTONEAREST), &shown)) {
    x = std::clamp<LONG>(x, shown.rcWork.left, std::max<LONG>(shown.rcWork.left, shown.rcWork.right - width));
    y = std::clamp<LONG>(y, shown.rcWork.top, std::max<LONG>(shown.rcWork.top, shown.rcWork.bottom - height));
  }
  SetWindowPos(dialog, nullptr, x, y, width, height, 0);

  if (!x11::Available()) return;
  detail::State& state = detail::GetState();
  std::lock_guard lock(state.mutex);
  detail::Window* window = detail::Find(state, dialog);
  if (window == nullptr || window->native != 0) return;
  const RECT insets = detail::NonClientInsets(window->style, false);
  const SIZE client = detail::ClientSize(*window);
  const LONG left = window->rect.left + insets.left;
  const LONG top = window->rect.top + insets.top;
  // Not a popup: the window manager gives it a title bar and a close box.
  window->native = x11::CreateNativeWindow(0, {left, top, left + client.cx, top + client.cy}, false, true, window->text);
  if (window->native == 0 || window->owner == nullptr) return;
  if (detail::Window* owner = detail::Resolve(state, window->owner); owner != nullptr && owner->native != 0)
    x11::SetNativeOwner(window->native, owner->native);
}

}  // namespace win32::controls
