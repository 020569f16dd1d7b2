// Window classes and windows: creation, destruction, geometry and the default procedure.
#include <algorithm>
#include <cstdio>

#include "platform/machine/text.h"
#include "platform/win32/given_window.h"
#include "platform/win32/termination.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

using win32::detail::GetState;
using win32::detail::State;
using win32::detail::Window;

namespace {

// Sizes beyond any screen (and coordinates far off it) are cut to these, so that a hostile size
// neither overflows a coordinate nor asks for a surface larger than memory.
constexpr int kMaxExtent = 16384;
constexpr int kMaxCoordinate = 1 << 20;

RECT Placement(int x, int y, int width, int height) {
  x = std::clamp(x, -kMaxCoordinate, kMaxCoordinate);
  y = std::clamp(y, -kMaxCoordinate, kMaxCoordinate);
  return {x, y, x + std::clamp(width, 0, kMaxExtent), y + std::clamp(height, 0, kMaxExtent)};
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
           return lower(x) == lower(y);
         });
}

const win32::detail::WindowClass* FindClass(State& state, LPCWSTR name) {
  for (const auto& windowClass : state.classes) {
    if (IS_INTRESOURCE(name) ? windowClass.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                             : SameName(windowClass.name, name)) {
      return &windowClass;
    }
  }
  return nullptr;
}

// The X11 window for a new window: top-level and popup windows get their own, and so do children of
// a foreign X11 window (a preview inside another program's window). Children of the stand-in's own
// windows stay headless.
void CreateNative(State& state, Window& window, const std::u16string& title) {
  const RECT insets = win32::detail::NonClientInsets(window.style, false);
  const SIZE size = win32::detail::ClientSize(window);
  unsigned long parent = 0;
  if (window.style & WS_CHILD) {
    Window* record = win32::detail::Resolve(state, window.parent);
    if (record == nullptr || !record->foreign) return;
    parent = record->native;
    // The window inside follows the foreign window's size.
    win32::x11::WatchForeignWindow(parent);
  }
  const LONG left = window.rect.left + insets.left;
  const LONG top = window.rect.top + insets.top;
  window.native = win32::x11::CreateNativeWindow(parent, {left, top, left + size.cx, top + size.cy},
                                                 (window.style & WS_POPUP) != 0, (window.style & WS_VISIBLE) != 0,
                                                 title);
}

// The first top-level popup draws into the given window, at that window's size; false when the
// window given cannot be drawn in.
bool TakeGivenWindow(State& state, Window& window) {
  state.givenTaken = true;
  RECT area{};
  if (state.givenWindow == 0) return false;
  if (!win32::x11::ForeignWindow(state.givenWindow, area)) {
    std::fprintf(stderr, "copperleaf: there is no X11 window 0x%lx to draw in\n", state.givenWindow);
    return false;
  }
  window.native = state.givenWindow;
  window.given = true;
  window.rect.right = window.rect.left + (area.right - area.left);
  window.rect.bottom = window.rect.top + (area.bottom - area.top);
  win32::x11::WatchForeignWindow(state.givenWindow);
  return true;
}

// Takes the window and its children out of the table, with their timers and queued messages.
void Forget(State& state, HWND handle) {
  std::vector<HWND> children;
  for (const auto& [key, window] : state.windows) {
    if (!window->foreign && window->parent == handle) children.push_back(window->handle);
  }
  for (HWND child : children) Forget(state, child);
  auto it = state.windows.find(reinterpret_cast<uintptr_t>(handle));
  if (it == state.windows.end()) return;
  if (it->second->native != 0 && !it->second->given) win32::x11::DestroyNativeWindow(it->second->native);
  for (auto& [thread, queue] : state.queues) {
    std::erase_if(queue.posted, [&](const MSG& message) { return message.hwnd == handle; });
    std::erase_if(queue.timers, [&](const win32::detail::Timer& timer) { return timer.window == handle; });
  }
  state.windows.erase(it);
}

// WM_DESTROY reaches a window before its children, while all of them still exist.
void SendDestroy(HWND handle) {
  SendMessageW(handle, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    for (const auto& [key, window] : state.windows) {
      if (!window->foreign && window->parent == handle) children.push_back(window->handle);
    }
  }
  for (HWND child : children) SendDestroy(child);
}

}  // namespace

ATOM WINAPI RegisterClassW(const WNDCLASSW* windowClass) {
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr ||
      IS_INTRESOURCE(windowClass->lpszClassName)) {
    return 0;
  }
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  if (FindClass(state, windowClass->lpszClassName) != nullptr) return 0;
  win32::detail::WindowClass entry;
  // Atoms of registered classes start at 0xC000, as Windows numbers them.
  entry.atom = static_cast<ATOM>(0xC000 + state.classes.size());
  entry.name = windowClass->lpszClassName;
  entry.procedure = windowClass->lpfnWndProc;
  entry.cursor = windowClass->hCursor;
  state.classes.push_back(entry);
  return entry.atom;
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  State& state = GetState();
  HWND handle = nullptr;
  {
    std::lock_guard lock(state.mutex);
    const auto* windowClass = className == nullptr ? nullptr : FindClass(state, className);
    if (windowClass == nullptr) return nullptr;
    auto window = std::make_unique<Window>();
    if (style & WS_CHILD) {
      if (parent == nullptr) return nullptr;
      if (win32::detail::Resolve(state, parent) == nullptr) {
        // A preview inside a window that is not there: the user learns which one, and why.
        const auto id = reinterpret_cast<uintptr_t>(parent);
        if (!win32::x11::Available()) {
          std::fprintf(stderr, "copperleaf: there is no display to find window 0x%lx on\n", static_cast<unsigned long>(id));
        } else {
          std::fprintf(stderr, "copperleaf: there is no X11 window 0x%lx to draw in\n", static_cast<unsigned long>(id));
        }
        return nullptr;
      }
      window->parent = parent;
    } else if (parent != nullptr) {
      // The owner of a top-level window is always a top-level window: the given one's root.
      Window* owner = win32::detail::Resolve(state, parent);
      if (owner == nullptr) return nullptr;
      while (!owner->foreign && owner->parent != nullptr && win32::detail::Resolve(state, owner->parent) != nullptr) {
        owner = win32::detail::Resolve(state, owner->parent);
      }
      window->owner = owner->handle;
    }
    handle = reinterpret_cast<HWND>(state.nextHandle);
    state.nextHandle += 2;
    window->handle = handle;
    window->procedure = windowClass->procedure;
    window->classCursor = windowClass->cursor;
    window->style = style;
    window->exStyle = exStyle;
    window->rect = Placement(x, y, width, height);
    window->thread = std::this_thread::get_id();
    if (style & WS_CHILD) window->id = static_cast<int>(static_cast<DWORD>(reinterpret_cast<uintptr_t>(menu)));
    if (windowName != nullptr) window->text = windowName;
    window->disabled = (style & WS_DISABLED) != 0;
    const bool drawsInGiven =
        state.windowGiven && !state.givenTaken && (style & WS_POPUP) && !(style & WS_CHILD) && !windowClass->headless;
    if (drawsInGiven && !TakeGivenWindow(state, *window)) return nullptr;
    const SIZE size = win32::detail::ClientSize(*window);
    win32::detail::SizedSurface(*window);
    if (style & WS_VISIBLE) {
      window->invalid.push_back({0, 0, size.cx, size.cy});
      window->erase = true;
    }
    if (!windowClass->headless && !drawsInGiven) CreateNative(state, *window, window->text);
    state.windows.emplace(reinterpret_cast<uintptr_t>(handle), std::move(window));
  }
  CREATESTRUCTW create{param, instance, nullptr, parent, height, width, y, x, static_cast<LONG>(style),
                       windowName, className, exStyle};
  if (SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  return handle;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  State& state = GetState();
  std::vector<HWND> owned;
  {
    std::lock_guard lock(state.mutex);
    Window* window = win32::detail::Find(state, handle);
    if (window == nullptr || window->destroying) return FALSE;
    window->destroying = true;
    for (const auto& [key, other] : state.windows) {
      if (!other->foreign && other->owner == handle) owned.push_back(other->handle);
    }
  }
  for (HWND window : owned) DestroyWindow(window);
  SendDestroy(handle);
  std::lock_guard lock(state.mutex);
  Forget(state, handle);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  return win32::detail::Resolve(state, handle) != nullptr;
}

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_PAINT: {
      // Validates the window, so that WM_PAINT stops arriving.
      PAINTSTRUCT paint{};
      if (BeginPaint(window, &paint) != nullptr) EndPaint(window, &paint);
      return 0;
    }
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT) return FALSE;
      HCURSOR cursor = nullptr;
      {
        State& state = GetState();
        std::lock_guard lock(state.mutex);
        Window* record = win32::detail::Find(state, window);
        if (record == nullptr) return FALSE;
        cursor = record->classCursor;
      }
      SetCursor(cursor);
      return TRUE;
    }
    default:
      return 0;
  }
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Resolve(state, handle);
  if (window == nullptr) return FALSE;
  const SIZE size = win32::detail::ClientSize(*window);
  *rect = {0, 0, size.cx, size.cy};
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  if (rect == nullptr) return FALSE;
  const RECT insets = win32::detail::NonClientInsets(style, menu != FALSE);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  if (window == nullptr) return FALSE;
  const SIZE before = win32::detail::ClientSize(*window);
  window->rect = Placement(x, y, cx, cy);
  if (insertAfter == HWND_TOPMOST) window->exStyle |= WS_EX_TOPMOST;
  const SIZE after = win32::detail::ClientSize(*window);
  if (before.cx != after.cx || before.cy != after.cy) {
    window->invalid.assign(1, RECT{0, 0, after.cx, after.cy});
    window->erase = true;
  }
  if (window->native != 0 && !window->given) {
    const RECT insets = win32::detail::NonClientInsets(window->style, false);
    const LONG left = window->rect.left + insets.left;
    const LONG top = window->rect.top + insets.top;
    win32::x11::MoveNativeWindow(window->native, {left, top, left + after.cx, top + after.cy});
  }
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND handle, LPPOINT point) {
  if (point == nullptr) return FALSE;
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Resolve(state, handle);
  if (window == nullptr) return FALSE;
  const POINT origin = win32::detail::ClientOrigin(state, *window);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

namespace win32 {

void SetGivenWindow(unsigned long window) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  state.windowGiven = true;
  state.givenWindow = window;
  state.givenTaken = false;
}

bool GivenWindowArea(RECT& area) {
  unsigned long window = 0;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    if (!state.windowGiven) return false;
    window = state.givenWindow;
  }
  return window != 0 && x11::ForeignWindow(window, area);
}

namespace detail {

void FollowNativeSize(unsigned long native, int width, int height) {
  width = std::clamp(width, 0, kMaxExtent);
  height = std::clamp(height, 0, kMaxExtent);
  std::vector<HWND> resized;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    for (const auto& [key, window] : state.windows) {
      if (window->foreign) continue;
      const bool drawsInIt = window->given && window->native == native;
      // A window made inside another program's window (the preview) fills it.
      const bool inside = (window->style & WS_CHILD) && reinterpret_cast<uintptr_t>(window->parent) == native &&
                          state.windows.count(native) != 0 && state.windows.at(native)->foreign;
      if (!drawsInIt && !inside) continue;
      const SIZE before = ClientSize(*window);
      if (before.cx == width && before.cy == height) continue;
      if (inside) {
        window->rect = {0, 0, width, height};
        if (window->native != 0) x11::MoveNativeWindow(window->native, window->rect);
      } else {
        window->rect.right = window->rect.left + width;
        window->rect.bottom = window->rect.top + height;
      }
      ++window->sizeChanges;
      window->invalid.assign(1, RECT{0, 0, width, height});
      window->erase = true;
      resized.push_back(window->handle);
    }
  }
  for (HWND window : resized) SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

}  // namespace detail

void ResetWindowing() {
  State& state = GetState();
  {
    std::lock_guard lock(state.mutex);
    for (const auto& [key, window] : state.windows) {
      if (!window->foreign && window->native != 0 && !window->given) x11::DestroyNativeWindow(window->native);
    }
    state.windows.clear();
    state.classes.clear();
    state.queues.clear();
    state.cursor = nullptr;
    state.contexts.clear();
    state.windowGiven = false;
    state.givenWindow = 0;
    state.givenTaken = false;
  }
  detail::ForgetTerminationRequest();
  x11::Close();
}

}  // namespace win32
