// The mouse and keyboard of a dialog. The dialog's window gets them all; a click goes to the control
// under the pointer (which keeps the mouse until the button is released), a key to the control
// with the focus, except the keys of the dialog itself: Tab and Shift+Tab between the controls,
// Enter for the default button, Esc for Cancel.
#include <algorithm>

#include "platform/win32/dialog_record.h"

namespace win32::controls {
namespace {

POINT PointOf(LPARAM lParam) {
  return {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

bool Inside(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

HWND OpenList(HWND dialog) {
  for (HWND child : ChildrenOf(dialog))
    if (ComboListOpen(child)) return child;
  return nullptr;
}

// The control a click at `point` falls on: of the controls drawn there, the one drawn last.
HWND ControlAt(HWND dialog, POINT point) {
  const std::vector<HWND> children = ChildrenOf(dialog);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const RECT rect = RectOf(*it);
    if ((StyleOf(*it) & WS_VISIBLE) && Inside(rect, point) &&
        TakesClick(*it, {point.x - rect.left, point.y - rect.top}))
      return *it;
  }
  return nullptr;
}

bool PushButton(HWND control) {
  if (ProcedureOf(control) != ButtonProcedure) return false;
  const DWORD kind = StyleOf(control) & BS_TYPEMASK;
  return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

bool Mouse(HWND dialog, UINT message, WPARAM wParam, POINT point) {
  HWND target = Dialogs()[dialog].capture;
  // An open list takes every click until it closes.
  if (target == nullptr) target = OpenList(dialog);
  if (target == nullptr && message == WM_LBUTTONDOWN) {
    HWND hit = ControlAt(dialog, point);
    if (hit == nullptr || !IsWindowEnabled(hit)) return true;
    if (TakesFocus(hit)) SetFocus(hit);
    target = hit;
  }
  if (target == nullptr) return true;
  if (message == WM_LBUTTONDOWN) Dialogs()[dialog].capture = target;
  if (message == WM_LBUTTONUP && IsDialog(dialog)) Dialogs()[dialog].capture = nullptr;
  const RECT rect = RectOf(target);
  SendMessageW(target, message, wParam, MAKELPARAM(point.x - rect.left, point.y - rect.top));
  return true;
}

// The next control Tab (or Shift+Tab) gives the keyboard to, round the dialog.
HWND NextTabStop(HWND dialog, HWND from, bool backwards) {
  std::vector<HWND> stops;
  for (HWND child : ChildrenOf(dialog))
    if ((StyleOf(child) & WS_TABSTOP) && TakesFocus(child)) stops.push_back(child);
  if (stops.empty()) return nullptr;
  auto at = std::find(stops.begin(), stops.end(), from);
  if (at == stops.end()) return backwards ? stops.back() : stops.front();
  const size_t index = static_cast<size_t>(at - stops.begin());
  return stops[(index + (backwards ? stops.size() - 1 : 1)) % stops.size()];
}

// The button Enter presses: the focused push button, else the dialog's default push button.
HWND DefaultButton(HWND dialog, HWND focus) {
  if (PushButton(focus)) return focus;
  for (HWND child : ChildrenOf(dialog))
    if (ProcedureOf(child) == ButtonProcedure && (StyleOf(child) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return child;
  return nullptr;
}

bool Key(HWND dialog, UINT message, WPARAM key, LPARAM lParam) {
  HWND focus = GetFocus();
  if (focus != nullptr && ParentOf(focus) != dialog) focus = nullptr;
  if (key == VK_SHIFT) {
    Dialogs()[dialog].shift = message == WM_KEYDOWN;
    return true;
  }
  if (message == WM_KEYDOWN) {
    if (HWND list = OpenList(dialog)) {
      // The open list's own keys: arrows move in it, Enter picks, Esc closes it.
      SendMessageW(list, message, key, lParam);
      return true;
    }
    switch (key) {
      case VK_TAB:
        if (HWND next = NextTabStop(dialog, focus, Dialogs()[dialog].shift)) SetFocus(next);
        return true;
      case VK_RETURN: {
        HWND button = DefaultButton(dialog, focus);
        if (button == nullptr) {
          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        } else if (IsWindowEnabled(button)) {
          SendMessageW(button, BM_CLICK, 0, 0);
        }
        return true;
      }
      case VK_ESCAPE:
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return true;
      default:
        break;
    }
  }
  if (focus != nullptr) SendMessageW(focus, message, key, lParam);
  return true;
}

}  // namespace

bool DialogInput(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool mouse = message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_MOUSEMOVE;
  const bool key = message == WM_KEYDOWN || message == WM_KEYUP;
  if (!mouse && !key) return false;
  // While a dialog of its own is open over it, a dialog takes no input.
  if (!IsWindowEnabled(dialog)) return true;
  return mouse ? Mouse(dialog, message, wParam, PointOf(lParam)) : Key(dialog, message, wParam, lParam);
}

}  // namespace win32::controls
