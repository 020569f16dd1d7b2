// The combo box class: a drop-down list of texts with a value each and at most one selected item.
// Closed, it shows the selected text in its field; open, its list hangs below the field over the
// rest of the dialog.
#include <algorithm>
#include <string>

#include "platform/win32/controls.h"
#include "platform/win32/dialog_look.h"
#include "platform/win32/gdi_paint.h"

namespace win32::controls {
namespace {

// The width of the arrow button at the field's right end.
constexpr int kButtonWidth = 16;

struct Item {
  std::u16string text;
  LPARAM data = 0;
};

struct ComboState {
  std::vector<Item> items;
  int selection = CB_ERR;
  bool open = false;
  int hot = -1;  // the item the list highlights
  int top = 0;   // the first item the list shows
};

StateOf<ComboState>& Combos() {
  static StateOf<ComboState> combos;
  return combos;
}

bool Holds(const ComboState& state, WPARAM index) { return index < state.items.size(); }

bool IsCombo(HWND window) { return ProcedureOf(window) == ComboBoxProcedure; }

// The geometry of one combo box: the height of a list item, of the field, and how many items the
// list shows at once (as many as the template's height leaves room for, at least one); the list
// scrolls to keep the highlighted item in view.
struct Geometry {
  int itemHeight;
  int fieldHeight;
  int width;
  int visible;
};

Geometry GeometryOf(HWND combo, const ComboState& state) {
  const auto metrics = gdi::Metrics(FontPixelsOf(combo));
  const int itemHeight = std::max(1, metrics ? metrics->height : 13);
  const RECT rect = RectOf(combo);
  const int fieldHeight = itemHeight + 8;
  // The list shows inside the dialog's picture: it never reaches past the dialog's bottom edge.
  LONG bottom = rect.bottom;
  RECT client{};
  if (GetClientRect(ParentOf(combo), &client)) bottom = std::min(bottom, client.bottom);
  const int room = std::max(1, static_cast<int>(bottom - rect.top - fieldHeight - 2) / itemHeight);
  return {itemHeight, fieldHeight, static_cast<int>(rect.right - rect.left),
          std::min(room, std::max(1, static_cast<int>(state.items.size())))};
}

// The item under a point of the list, or -1.
int ItemAt(HWND combo, const ComboState& state, LPARAM lParam) {
  const Geometry geometry = GeometryOf(combo, state);
  const int x = static_cast<SHORT>(LOWORD(lParam));
  const int y = static_cast<SHORT>(HIWORD(lParam)) - geometry.fieldHeight - 1;
  if (x < 0 || x >= geometry.width || y < 0 || y >= geometry.visible * geometry.itemHeight) return -1;
  const int index = state.top + y / geometry.itemHeight;
  return index < static_cast<int>(state.items.size()) ? index : -1;
}

void ShowHot(HWND combo, ComboState& state, int hot) {
  state.hot = hot;
  const int visible = GeometryOf(combo, state).visible;
  if (hot >= 0 && hot < state.top) state.top = hot;
  if (hot >= state.top + visible) state.top = hot - visible + 1;
  Redraw(combo);
}

void Open(HWND combo, ComboState& state) {
  state.open = true;
  state.top = 0;
  ShowHot(combo, state, state.selection);
}

void Close(HWND combo, ComboState& state) {
  if (!state.open) return;
  state.open = false;
  Redraw(combo);
}

// The user's choice: the selection changes and the dialog hears of it.
void Choose(HWND combo, ComboState& state, int index) {
  Close(combo, state);
  if (index < 0 || index >= static_cast<int>(state.items.size()) || index == state.selection) return;
  state.selection = index;
  Redraw(combo);
  NotifyParent(combo, CBN_SELCHANGE);
}

void PaintArrow(look::Canvas& canvas, const RECT& button, bool enabled) {
  // A triangle seven pixels wide pointing down.
  const int left = (button.left + button.right) / 2 - 4;
  const int top = (button.top + button.bottom) / 2 - 2;
  for (int row = 0; row < 4; ++row) {
    canvas.Fill({left + row, top + row, left + 7 - row, top + row + 1}, enabled ? look::kText : look::kGreyText);
    if (!enabled) canvas.Pixel(left + 7 - row, top + row + 1, look::kHighlight);
  }
}

}  // namespace

bool ComboBoxTakesClick(HWND combo, POINT point) {
  ComboState& state = Combos()[combo];
  return state.open || point.y < GeometryOf(combo, state).fieldHeight;
}

bool ComboListOpen(HWND combo) { return IsCombo(combo) && Combos()[combo].open; }

void CloseComboList(HWND combo) {
  if (IsCombo(combo)) Close(combo, Combos()[combo]);
}

void PaintComboBox(HWND combo, look::Canvas& canvas) {
  const ComboState state = Combos()[combo];
  const Geometry geometry = GeometryOf(combo, state);
  const bool enabled = IsWindowEnabled(combo) != FALSE;
  const RECT field{0, 0, geometry.width, geometry.fieldHeight};
  canvas.Sunken(field);
  canvas.Fill({2, 2, field.right - 2, field.bottom - 2}, enabled ? look::kWindow : look::kFace);
  const RECT button{field.right - 2 - kButtonWidth, 2, field.right - 2, field.bottom - 2};
  canvas.Fill(button, look::kFace);
  if (state.open) canvas.Edge(button, look::kShadow, look::kShadow);
  else canvas.Raised(button);
  PaintArrow(canvas, state.open ? RECT{button.left + 1, button.top + 1, button.right + 1, button.bottom + 1} : button,
             enabled);
  const RECT text{3, 3, button.left - 1, field.bottom - 3};
  const bool focused = GetFocus() == combo && !state.open;
  uint32_t colour = look::kText;
  if (focused) {
    canvas.Fill(text, look::kSelection);
    colour = look::kSelectionText;
  }
  if (Holds(state, static_cast<WPARAM>(state.selection)))
    canvas.Text(state.items[state.selection].text, {text.left + 1, text.top, text.right, text.bottom},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled, colour);
  if (focused) canvas.FocusRect(text);
}

void PaintComboList(HWND combo, look::Canvas& canvas) {
  const ComboState state = Combos()[combo];
  const Geometry geometry = GeometryOf(combo, state);
  const RECT list{0, geometry.fieldHeight, geometry.width, geometry.fieldHeight + geometry.visible * geometry.itemHeight + 2};
  canvas.Fill(list, look::kWindow);
  canvas.Edge(list, look::kDarkShadow, look::kDarkShadow);
  for (int row = 0; row < geometry.visible; ++row) {
    const int index = state.top + row;
    if (index >= static_cast<int>(state.items.size())) break;
    const RECT item{1, list.top + 1 + row * geometry.itemHeight, list.right - 1, list.top + 1 + (row + 1) * geometry.itemHeight};
    uint32_t colour = look::kText;
    if (index == state.hot) {
      canvas.Fill(item, look::kSelection);
      colour = look::kSelectionText;
    }
    canvas.Text(state.items[index].text, {item.left + 2, item.top, item.right, item.bottom},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE, true, colour);
  }
}

LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Combos().Drop(window);
    return 0;
  }
  ComboState& state = Combos()[window];
  switch (message) {
    case WM_LBUTTONDOWN: {
      if (!state.open) {
        if (static_cast<SHORT>(HIWORD(lParam)) < GeometryOf(window, state).fieldHeight) Open(window, state);
        return 0;
      }
      // Open, a press on an item marks it; anywhere else the list closes unchanged.
      const int index = ItemAt(window, state, lParam);
      if (index >= 0) ShowHot(window, state, index);
      else Close(window, state);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state.open) {
        const int index = ItemAt(window, state, lParam);
        if (index >= 0 && index != state.hot) ShowHot(window, state, index);
      }
      return 0;
    case WM_LBUTTONUP:
      // Letting go over an item picks it (also at the end of a drag from the field).
      if (state.open) {
        const int index = ItemAt(window, state, lParam);
        if (index >= 0) Choose(window, state, index);
      }
      return 0;
    case WM_KEYDOWN: {
      const int count = static_cast<int>(state.items.size());
      const int step = wParam == VK_UP || wParam == VK_LEFT ? -1 : (wParam == VK_DOWN || wParam == VK_RIGHT ? 1 : 0);
      if (state.open) {
        if (step != 0 && count > 0) ShowHot(window, state, std::clamp(state.hot + step, 0, count - 1));
        if (wParam == VK_RETURN) Choose(window, state, state.hot);
        if (wParam == VK_ESCAPE || wParam == VK_TAB) Close(window, state);
        return 0;
      }
      // Closed, the arrows step through the items.
      if (step != 0 && count > 0) Choose(window, state, std::clamp(state.selection + step, 0, count - 1));
      return 0;
    }
    case WM_ENABLE:
      if (!wParam) Close(window, state);
      return 0;
    case CB_ADDSTRING: {
      const auto* text = reinterpret_cast<const WCHAR*>(lParam);
      state.items.push_back(Item{text != nullptr ? text : u"", 0});
      Redraw(window);
      return static_cast<LRESULT>(state.items.size() - 1);
    }
    case CB_GETCOUNT:
      return static_cast<LRESULT>(state.items.size());
    case CB_GETCURSEL:
      return state.selection;
    case CB_GETLBTEXTLEN:
      return Holds(state, wParam) ? static_cast<LRESULT>(state.items[wParam].text.size()) : CB_ERR;
    case CB_GETLBTEXT: {
      // As on Windows, the buffer must hold the whole text and its NUL (CB_GETLBTEXTLEN + 1).
      auto* buffer = reinterpret_cast<WCHAR*>(lParam);
      if (!Holds(state, wParam) || buffer == nullptr) return CB_ERR;
      const std::u16string& text = state.items[wParam].text;
      std::copy(text.begin(), text.end(), buffer);
      buffer[text.size()] = 0;
      return static_cast<LRESULT>(text.size());
    }
    case CB_RESETCONTENT:
      state.items.clear();
      state.selection = CB_ERR;
      state.open = false;
      state.hot = -1;
      state.top = 0;
      Redraw(window);
      return 0;
    case CB_SETCURSEL:
      // An index outside the list (-1 among them) leaves nothing selected.
      state.selection = Holds(state, wParam) ? static_cast<int>(wParam) : CB_ERR;
      Redraw(window);
      return state.selection;
    case CB_GETITEMDATA:
      return Holds(state, wParam) ? state.items[wParam].data : CB_ERR;
    case CB_SETITEMDATA:
      if (!Holds(state, wParam)) return CB_ERR;
      state.items[wParam].data = lParam;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace win32::controls
