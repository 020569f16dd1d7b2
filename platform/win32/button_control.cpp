// The button class: push buttons, check boxes, radio buttons and group boxes.
#include "platform/win32/controls.h"
#include "platform/win32/dialog_look.h"
#include "platform/win32/gdi_paint.h"

namespace win32::controls {
namespace {

// The box of a check box and the circle of a radio button, and the gap before their text.
constexpr int kBoxSize = 13;
constexpr int kRadioSize = 12;
constexpr int kTextGap = 4;

struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pressed = false;   // drawn pushed in: the mouse or Space holds it
  bool tracking = false;  // the mouse button went down on it and is still held
};

StateOf<ButtonState>& Buttons() {
  static StateOf<ButtonState> buttons;
  return buttons;
}

DWORD Kind(HWND button) { return StyleOf(button) & BS_TYPEMASK; }

bool Checkable(DWORD kind) {
  return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

bool Radio(DWORD kind) { return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON; }

void SetCheck(HWND button, UINT check) {
  ButtonState& state = Buttons()[button];
  if (state.check == check) return;
  state.check = check;
  Redraw(button);
}

void SetPressed(HWND button, bool pressed) {
  ButtonState& state = Buttons()[button];
  if (state.pressed == pressed) return;
  state.pressed = pressed;
  Redraw(button);
}

// The radio buttons of the button's group: the siblings from the last one with WS_GROUP before it
// (or itself) up to the next one with WS_GROUP.
std::vector<HWND> Group(HWND button) {
  const std::vector<HWND> siblings = ChildrenOf(ParentOf(button));
  size_t at = 0;
  while (at < siblings.size() && siblings[at] != button) ++at;
  std::vector<HWND> group;
  if (at == siblings.size()) return group;
  size_t first = at;
  while (first > 0 && !(StyleOf(siblings[first]) & WS_GROUP)) --first;
  for (size_t i = first; i < siblings.size(); ++i) {
    if (i > first && (StyleOf(siblings[i]) & WS_GROUP)) break;
    if (ProcedureOf(siblings[i]) == ButtonProcedure && Radio(Kind(siblings[i]))) group.push_back(siblings[i]);
  }
  return group;
}

void Click(HWND button) {
  if (!IsWindowEnabled(button)) return;
  const DWORD kind = Kind(button);
  ButtonState& state = Buttons()[button];
  if (kind == BS_AUTOCHECKBOX) {
    SetCheck(button, state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  } else if (kind == BS_AUTORADIOBUTTON) {
    SetCheck(button, BST_CHECKED);
    for (HWND other : Group(button))
      if (other != button && Kind(other) == BS_AUTORADIOBUTTON) SetCheck(other, BST_UNCHECKED);
  }
  NotifyParent(button, BN_CLICKED);
}

// An arrow on a radio button moves to the next (or previous) enabled one of its group and clicks it.
void MoveInGroup(HWND button, bool backwards) {
  const std::vector<HWND> group = Group(button);
  size_t at = 0;
  while (at < group.size() && group[at] != button) ++at;
  for (size_t step = 1; at < group.size() && step < group.size(); ++step) {
    HWND next = group[(at + (backwards ? group.size() - step : step)) % group.size()];
    if (!TakesFocus(next)) continue;
    SetFocus(next);
    Click(next);
    return;
  }
}

bool Inside(HWND button, LPARAM lParam) {
  const RECT rect = RectOf(button);
  const int x = static_cast<SHORT>(LOWORD(lParam));
  const int y = static_cast<SHORT>(HIWORD(lParam));
  return x >= 0 && y >= 0 && x < rect.right - rect.left && y < rect.bottom - rect.top;
}

void PaintPushButton(HWND button, look::Canvas& canvas, RECT area, const ButtonState& state, bool enabled) {
  HWND focus = GetFocus();
  const bool focused = focus == button;
  // The default look goes to the focused push button, or to the default one while the focus is on
  // no push button at all.
  bool focusOnPush = false;
  if (focus != nullptr && ParentOf(focus) == ParentOf(button) && ProcedureOf(focus) == ButtonProcedure) {
    const DWORD kind = Kind(focus);
    focusOnPush = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
  }
  const bool isDefault = focused || (Kind(button) == BS_DEFPUSHBUTTON && !focusOnPush);
  canvas.Fill(area, look::kFace);
  if (isDefault) {
    canvas.Edge(area, look::kDarkShadow, look::kDarkShadow);
    area = {area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
  }
  RECT label = area;
  if (state.pressed) {
    canvas.Edge(area, look::kShadow, look::kShadow);
    label = {label.left + 1, label.top + 1, label.right + 1, label.bottom + 1};
  } else {
    canvas.Raised(area);
  }
  canvas.Text(TextOf(button), label, DT_CENTER | DT_VCENTER | DT_SINGLELINE, enabled);
  if (focused) canvas.FocusRect({area.left + 3, area.top + 3, area.right - 3, area.bottom - 3});
}

void PaintCheckMark(look::Canvas& canvas, int left, int top, uint32_t colour) {
  // A tick seven pixels wide and three thick, as the classic check box draws it.
  for (int i = 0; i < 7; ++i) {
    const int y = i < 2 ? top + 4 + i : top + 6 - (i - 2);
    for (int thick = 0; thick < 3; ++thick) canvas.Pixel(left + 2 + i, y + thick, colour);
  }
}

void PaintRadioCircle(look::Canvas& canvas, int left, int top, bool checked, bool enabled) {
  // The circle's ring darkens towards the top left and lightens towards the bottom right; the dot
  // of a checked button sits in its middle.
  const double centre = (kRadioSize - 1) / 2.0;
  for (int y = 0; y < kRadioSize; ++y) {
    for (int x = 0; x < kRadioSize; ++x) {
      const double dx = x - centre, dy = y - centre;
      const double distance = dx * dx + dy * dy;
      uint32_t colour;
      if (distance > 6.0 * 6.0) continue;
      if (distance > 5.0 * 5.0) colour = dx + dy < 0 ? look::kShadow : look::kHighlight;
      else if (distance > 4.0 * 4.0) colour = dx + dy < 0 ? look::kDarkShadow : look::kLight;
      else colour = enabled ? look::kWindow : look::kFace;
      if (checked && distance <= 1.6 * 1.6 + 0.5) colour = enabled ? look::kText : look::kGreyText;
      canvas.Pixel(left + x, top + y, colour);
    }
  }
}

void PaintCheckable(HWND button, look::Canvas& canvas, const RECT& area, const ButtonState& state, bool enabled) {
  canvas.Fill(area, look::kFace);
  const int height = area.bottom - area.top;
  const bool radio = Radio(Kind(button));
  const int size = radio ? kRadioSize : kBoxSize;
  const int top = (height - size) / 2;
  // Held down, the box shows the face instead of the window colour, as a press does.
  if (radio) {
    PaintRadioCircle(canvas, 0, top, state.check == BST_CHECKED, enabled && !state.pressed);
  } else {
    canvas.Sunken({0, top, size, top + size});
    canvas.Fill({2, top + 2, size - 2, top + size - 2}, enabled && !state.pressed ? look::kWindow : look::kFace);
    if (state.check == BST_CHECKED) PaintCheckMark(canvas, 1, top, enabled ? look::kText : look::kGreyText);
  }
  const std::u16string text = TextOf(button);
  const RECT label{size + kTextGap, 0, area.right, height};
  canvas.Text(text, label, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled);
  if (GetFocus() == button) {
    const int width = gdi::TextWidth(look::WithoutPrefixes(text), canvas.FontPixels());
    const auto metrics = gdi::Metrics(canvas.FontPixels());
    const int textHeight = metrics ? metrics->height : height;
    const int textTop = (height - textHeight) / 2;
    canvas.FocusRect({label.left - 1, textTop - 1, std::min<LONG>(label.left + width + 1, area.right), textTop + textHeight + 1});
  }
}

void PaintGroupBox(HWND button, look::Canvas& canvas, const RECT& area, bool enabled) {
  // An etched frame from the middle of the title's line down (a shadow line with a highlight line
  // beside it, as if cut into the face), the title over it on the face.
  const auto metrics = gdi::Metrics(canvas.FontPixels());
  const int textHeight = metrics ? metrics->height : 13;
  const int top = textHeight / 2;
  canvas.Edge({area.left + 1, top + 1, area.right, area.bottom}, look::kHighlight, look::kHighlight);
  canvas.Edge({area.left, top, area.right - 1, area.bottom - 1}, look::kShadow, look::kShadow);
  const std::u16string text = look::WithoutPrefixes(TextOf(button));
  if (text.empty()) return;
  const int width = gdi::TextWidth(text, canvas.FontPixels());
  canvas.Fill({8, 0, std::min<LONG>(8 + width + 4, area.right), textHeight}, look::kFace);
  canvas.Text(TextOf(button), {10, 0, area.right, textHeight}, DT_LEFT | DT_SINGLELINE, enabled);
}

}  // namespace

void PaintButton(HWND button, look::Canvas& canvas) {
  const RECT rect = RectOf(button);
  const RECT area{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  const ButtonState state = Buttons()[button];
  const bool enabled = IsWindowEnabled(button) != FALSE;
  const DWORD kind = Kind(button);
  if (kind == BS_GROUPBOX) PaintGroupBox(button, canvas, area, enabled);
  else if (Checkable(kind)) PaintCheckable(button, canvas, area, state, enabled);
  else PaintPushButton(button, canvas, area, state, enabled);
}

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return Checkable(Kind(window)) ? Buttons()[window].check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (Checkable(Kind(window))) SetCheck(window, wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED);
      return 0;
    case BM_CLICK:
      Click(window);
      return 0;
    case WM_LBUTTONDOWN:
      Buttons()[window].tracking = true;
      SetPressed(window, true);
      return 0;
    case WM_MOUSEMOVE:
      // Pushed in while the pointer is over it; let go elsewhere, the click is abandoned.
      if (Buttons()[window].tracking) SetPressed(window, Inside(window, lParam));
      return 0;
    case WM_LBUTTONUP: {
      ButtonState& state = Buttons()[window];
      if (!state.tracking) return 0;
      state.tracking = false;
      const bool clicked = Inside(window, lParam);
      SetPressed(window, false);
      if (clicked) Click(window);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) SetPressed(window, true);
      if (Radio(Kind(window)) && (wParam == VK_UP || wParam == VK_LEFT)) MoveInGroup(window, true);
      if (Radio(Kind(window)) && (wParam == VK_DOWN || wParam == VK_RIGHT)) MoveInGroup(window, false);
      return 0;
    case WM_KEYUP:
      // Space clicks when it is let go, as the mouse does.
      if (wParam == VK_SPACE && Buttons()[window].pressed) {
        SetPressed(window, false);
        Click(window);
      }
      return 0;
    case WM_DESTROY:
      Buttons().Drop(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace win32::controls
