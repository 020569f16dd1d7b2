// The headless control classes, the window records' text and enabled state, and the helpers the
// controls share.
#include "platform/win32/controls.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/win32/window_manager.h"

using win32::detail::GetState;
using win32::detail::State;
using win32::detail::Window;

namespace win32::controls {
namespace {

LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterHeadless(const WCHAR* name, WNDPROC procedure) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.lpszClassName = name;
  if (RegisterClassW(&windowClass) == 0) return;  // the window system has it already
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  for (auto& entry : state.classes)
    if (entry.name == name) entry.headless = true;
}

}  // namespace

void RegisterClasses() {
  RegisterHeadless(kDialogClass, DialogProcedure);
  RegisterHeadless(kButtonClass, ButtonProcedure);
  RegisterHeadless(kStaticClass, StaticProcedure);
  RegisterHeadless(kComboBoxClass, ComboBoxProcedure);
  RegisterHeadless(WC_TABCONTROLW, TabControlProcedure);
  RegisterHeadless(TRACKBAR_CLASSW, TrackbarProcedure);
}

DWORD StyleOf(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = detail::Find(state, handle);
  return window ? window->style : 0;
}

WNDPROC ProcedureOf(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = detail::Find(state, handle);
  return window ? window->procedure : nullptr;
}

HWND ParentOf(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = detail::Find(state, handle);
  return window ? window->parent : nullptr;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  // Handles grow with every window made, so the table's order is the order of creation.
  std::vector<HWND> children;
  if (parent == nullptr) return children;
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  for (const auto& [key, window] : state.windows)
    if (!window->foreign && window->parent == parent && !window->destroying) children.push_back(window->handle);
  return children;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = ParentOf(control);
  if (parent == nullptr) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

}  // namespace win32::controls

void WINAPI InitCommonControls() { win32::controls::RegisterClasses(); }

BOOL WINAPI SetWindowTextW(HWND handle, LPCWSTR text) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  if (window == nullptr) return FALSE;
  window->text = text != nullptr ? text : u"";
  return TRUE;
}

int WINAPI GetWindowTextW(HWND handle, LPWSTR buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  buffer[0] = 0;
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  if (window == nullptr) return 0;
  const int copied = static_cast<int>(std::min<size_t>(window->text.size(), static_cast<size_t>(capacity - 1)));
  std::copy_n(window->text.begin(), copied, buffer);
  buffer[copied] = 0;
  return copied;
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
  bool wasDisabled = false;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    Window* window = win32::detail::Find(state, handle);
    if (window == nullptr) return FALSE;
    wasDisabled = window->disabled;
    window->disabled = !enable;
  }
  if (wasDisabled == !enable) return wasDisabled;
  SendMessageW(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  return window != nullptr && !window->disabled;
}
