// The button class: push buttons, check boxes, radio buttons and group boxes.
#include "platform/win32/controls.h"

namespace win32::controls {
namespace {

struct ButtonState {
  UINT check = BST_UNCHECKED;
};

StateOf<ButtonState>& Buttons() {
  static StateOf<ButtonState> buttons;
  return buttons;
}

DWORD Kind(HWND button) { return StyleOf(button) & BS_TYPEMASK; }

bool Checkable(DWORD kind) {
  return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

// Clears the other automatic radio buttons of the button's group: the siblings from the last one
// with WS_GROUP before it (or itself) up to the next one with WS_GROUP.
void ClearGroup(HWND button) {
  const std::vector<HWND> siblings = ChildrenOf(ParentOf(button));
  size_t at = 0;
  while (at < siblings.size() && siblings[at] != button) ++at;
  if (at == siblings.size()) return;
  size_t first = at;
  while (first > 0 && !(StyleOf(siblings[first]) & WS_GROUP)) --first;
  for (size_t i = first; i < siblings.size(); ++i) {
    if (i > first && (StyleOf(siblings[i]) & WS_GROUP)) break;
    HWND other = siblings[i];
    if (other != button && ProcedureOf(other) == ButtonProcedure && Kind(other) == BS_AUTORADIOBUTTON)
      Buttons()[other].check = BST_UNCHECKED;
  }
}

void Click(HWND button) {
  if (!IsWindowEnabled(button)) return;
  const DWORD kind = Kind(button);
  ButtonState& state = Buttons()[button];
  if (kind == BS_AUTOCHECKBOX) {
    state.check = state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  } else if (kind == BS_AUTORADIOBUTTON) {
    state.check = BST_CHECKED;
    ClearGroup(button);
  }
  NotifyParent(button, BN_CLICKED);
}

}  // namespace

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return Checkable(Kind(window)) ? Buttons()[window].check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (Checkable(Kind(window))) Buttons()[window].check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
      return 0;
    case BM_CLICK:
      Click(window);
      return 0;
    case WM_DESTROY:
      Buttons().Drop(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace win32::controls
