#include "platform/win32/window_manager.h"

#include "platform/win32/x11_display.h"

namespace win32::detail {

namespace {

// Non-client metrics of the classic look: a 19-pixel caption, 3-pixel dialog frames, 4-pixel
// sizing frames, 1-pixel borders, a 19-pixel menu bar.
constexpr LONG kCaption = 19;
constexpr LONG kDialogFrame = 3;
constexpr LONG kSizingFrame = 4;
constexpr LONG kBorder = 1;
constexpr LONG kMenu = 19;

}  // namespace

State& GetState() {
  static State state;
  return state;
}

Window* Find(State& state, HWND handle) {
  auto it = state.windows.find(reinterpret_cast<uintptr_t>(handle));
  if (it == state.windows.end() || it->second->foreign) return nullptr;
  return it->second.get();
}

Window* Resolve(State& state, HWND handle) {
  const auto key = reinterpret_cast<uintptr_t>(handle);
  auto it = state.windows.find(key);
  RECT screen{};
  if (it != state.windows.end()) {
    if (!it->second->foreign) return it->second.get();
    // A foreign window can go away at any time: ask again each time.
    if (!x11::ForeignWindow(static_cast<unsigned long>(key), screen)) {
      state.windows.erase(it);
      return nullptr;
    }
    it->second->rect = screen;
    return it->second.get();
  }
  if (key == 0 || key > 0xFFFFFFFFu || !x11::ForeignWindow(static_cast<unsigned long>(key), screen)) return nullptr;
  auto window = std::make_unique<Window>();
  window->handle = handle;
  window->foreign = true;
  window->native = static_cast<unsigned long>(key);
  window->rect = screen;
  return state.windows.emplace(key, std::move(window)).first->second.get();
}

RECT NonClientInsets(DWORD style, bool menu) {
  LONG frame = 0;
  if (style & WS_THICKFRAME) {
    frame = kSizingFrame;
  } else if (style & WS_DLGFRAME) {
    frame = kDialogFrame;
  } else if (style & WS_BORDER) {
    frame = kBorder;
  }
  RECT insets{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
  if (menu) insets.top += kMenu;
  return insets;
}

SIZE ClientSize(const Window& window) {
  const RECT insets = window.foreign ? RECT{} : NonClientInsets(window.style, false);
  const LONG width = window.rect.right - window.rect.left - insets.left - insets.right;
  const LONG height = window.rect.bottom - window.rect.top - insets.top - insets.bottom;
  return {width > 0 ? width : 0, height > 0 ? height : 0};
}

POINT ClientOrigin(State& state, const Window& window) {
  const RECT insets = window.foreign ? RECT{} : NonClientInsets(window.style, false);
  POINT origin{window.rect.left + insets.left, window.rect.top + insets.top};
  if (window.parent != nullptr) {
    if (Window* parent = Resolve(state, window.parent)) {
      const POINT base = ClientOrigin(state, *parent);
      origin.x += base.x;
      origin.y += base.y;
    }
  }
  return origin;
}

bool IsSelfOrDescendant(State& state, HWND window, HWND ancestor) {
  for (HWND current = window; current != nullptr;) {
    if (current == ancestor) return true;
    Window* record = Find(state, current);
    if (record == nullptr) return false;
    current = record->parent;
  }
  return false;
}

Surface* SizedSurface(Window& window) {
  // No device draws a window larger than the largest surface (a manager may give one far beyond any
  // monitor): its surface stays empty instead of taking gigabytes, and nothing is shown in it.
  SIZE size = ClientSize(window);
  if (size.cx > kLargestSurfaceSide || size.cy > kLargestSurfaceSide) size = {0, 0};
  if (window.surface.width != size.cx || window.surface.height != size.cy) {
    window.surface.width = size.cx;
    window.surface.height = size.cy;
    window.surface.pixels.assign(static_cast<size_t>(size.cx) * size.cy, 0);
  }
  return &window.surface;
}

}  // namespace win32::detail
