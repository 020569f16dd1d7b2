// The control classes, the window records' text and enabled state, and the helpers the controls
// share.
#include "platform/win32/controls.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

using win32::detail::GetState;
using win32::detail::State;
using win32::detail::Window;

namespace win32::controls {
namespace {

void RegisterHeadless(const WCHAR* name, WNDPROC procedure) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.lpszClassName = name;
  // Dialogs show the arrow: the pointer is what works them.
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
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

LRESULT NotifyParentHeader(HWND control, UINT code) {
  HWND parent = ParentOf(control);
  if (parent == nullptr) return 0;
  NMHDR header{control, static_cast<UINT_PTR>(GetDlgCtrlID(control)), code};
  return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

RECT RectOf(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = detail::Find(state, handle);
  return window ? window->rect : RECT{};
}

std::u16string TextOf(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = detail::Find(state, handle);
  return window ? window->text : std::u16string();
}

void Redraw(HWND control) { InvalidateRect(control, nullptr, FALSE); }

bool TakesClick(HWND control, POINT point) {
  const WNDPROC procedure = ProcedureOf(control);
  if (procedure == ButtonProcedure) return (StyleOf(control) & BS_TYPEMASK) != BS_GROUPBOX;
  if (procedure == ComboBoxProcedure) return ComboBoxTakesClick(control, point);
  if (procedure == TabControlProcedure) return TabControlTakesClick(control, point);
  return procedure == TrackbarProcedure;
}

bool TakesFocus(HWND control) {
  const DWORD style = StyleOf(control);
  if (!(style & WS_VISIBLE) || !IsWindowEnabled(control)) return false;
  const WNDPROC procedure = ProcedureOf(control);
  if (procedure == ButtonProcedure) return (style & BS_TYPEMASK) != BS_GROUPBOX;
  return procedure == ComboBoxProcedure || procedure == TabControlProcedure || procedure == TrackbarProcedure;
}

}  // namespace win32::controls

void WINAPI InitCommonControls() { win32::controls::RegisterClasses(); }

BOOL WINAPI SetWindowTextW(HWND handle, LPCWSTR text) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  if (window == nullptr) return FALSE;
  window->text = text != nullptr ? text : u"";
  // A top-level window's text is its title; a control's text shows in it.
  if (window->native != 0 && window->parent == nullptr) win32::x11::SetNativeTitle(window->native, window->text);
  if (window->parent != nullptr) {
    const SIZE size = win32::detail::ClientSize(*window);
    window->invalid.push_back(RECT{0, 0, size.cx, size.cy});
  }
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
  InvalidateRect(handle, nullptr, FALSE);  // a disabled control looks greyed
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, handle);
  return window != nullptr && !window->disabled;
}
