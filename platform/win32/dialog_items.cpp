// The controls of a dialog by their ids: lookup, text, messages and the button shorthands.
#include <utility>
#include <vector>

#include <windows.h>

#include "platform/win32/window_manager.h"

using win32::detail::GetState;
using win32::detail::State;
using win32::detail::Window;

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  if (dialog == nullptr) return nullptr;
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  for (const auto& [key, window] : state.windows)
    if (!window->foreign && !window->destroying && window->parent == dialog && window->id == id)
      return window->handle;
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND control) {
  State& state = GetState();
  std::lock_guard lock(state.mutex);
  Window* window = win32::detail::Find(state, control);
  return window != nullptr && window->parent != nullptr ? window->id : 0;
}

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) { return SetWindowTextW(GetDlgItem(dialog, id), text); }

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int capacity) {
  return static_cast<UINT>(GetWindowTextW(GetDlgItem(dialog, id), buffer, capacity));
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr ? SendMessageW(control, message, wParam, lParam) : 0;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr) return FALSE;
  SendMessageW(button, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (GetDlgItem(dialog, check) == nullptr) return FALSE;
  std::vector<std::pair<HWND, int>> buttons;
  {
    State& state = GetState();
    std::lock_guard lock(state.mutex);
    for (const auto& [key, window] : state.windows)
      if (!window->foreign && window->parent == dialog && window->id >= first && window->id <= last)
        buttons.emplace_back(window->handle, window->id);
  }
  for (const auto& [button, id] : buttons) SendMessageW(button, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}
