// Invalid areas, WM_PAINT and the device contexts of BeginPaint.
#include <algorithm>
#include <memory>

#include "platform/win32/device_context.h"
#include "platform/win32/window_manager.h"

using win32::detail::GetState;
using win32::detail::State;
using win32::detail::Window;

namespace {

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool Empty(const RECT& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

}  // namespace

namespace win32 {

DeviceContext* FindDeviceContext(HDC dc) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  for (const auto& context : state.contexts) {
    if (reinterpret_cast<HDC>(context.get()) == dc) return context.get();
  }
  return nullptr;
}

}  // namespace win32

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  if (window == nullptr) return FALSE;
  const SIZE size = win32::detail::ClientSize(*window);
  const RECT client{0, 0, size.cx, size.cy};
  const RECT area = rect == nullptr ? client : Intersect(*rect, client);
  if (!Empty(area)) {
    window->invalid.push_back(area);
    window->erase = window->erase || erase != FALSE;
  }
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND handle) {
  bool invalid = false;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    Window* window = win32::detail::Find(state, handle);
    if (window == nullptr) return FALSE;
    invalid = !window->invalid.empty();
  }
  if (invalid) SendMessageW(handle, WM_PAINT, 0, 0);
  return TRUE;
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  if (paint == nullptr) return nullptr;
  State& state = GetState();
  HDC dc = nullptr;
  bool erase = false;
  {
    std::lock_guard lock(state.mutex);
    Window* window = win32::detail::Find(state, handle);
    if (window == nullptr) return nullptr;
    auto context = std::make_unique<win32::DeviceContext>();
    context->window = handle;
    context->surface = win32::detail::SizedSurface(*window);
    context->clip = std::move(window->invalid);
    window->invalid.clear();
    erase = window->erase;
    window->erase = false;
    *paint = PAINTSTRUCT{};
    if (!context->clip.empty()) {
      RECT bounds = context->clip.front();
      for (const RECT& part : context->clip) {
        bounds = {std::min(bounds.left, part.left), std::min(bounds.top, part.top), std::max(bounds.right, part.right),
                  std::max(bounds.bottom, part.bottom)};
      }
      paint->rcPaint = bounds;
    }
    dc = reinterpret_cast<HDC>(context.get());
    state.contexts.push_back(std::move(context));
  }
  paint->hdc = dc;
  // fErase tells the caller that the background still needs erasing: nobody answered WM_ERASEBKGND.
  paint->fErase = erase && SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  return dc;
}

BOOL WINAPI EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    auto& contexts = state.contexts;
    const auto released = std::erase_if(contexts, [&](const std::unique_ptr<win32::DeviceContext>& context) {
      return reinterpret_cast<HDC>(context.get()) == paint->hdc && context->window == handle;
    });
    if (released == 0) return FALSE;
  }
  // What was drawn shows now, as GDI drawing reaches the screen on Windows.
  win32::PresentWindow(handle);
  return TRUE;
}
