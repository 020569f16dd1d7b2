// The combo box class: a list of texts with a value each and at most one selected item.
#include <algorithm>
#include <string>

#include "platform/win32/controls.h"

namespace win32::controls {
namespace {

struct Item {
  std::u16string text;
  LPARAM data = 0;
};

struct ComboState {
  std::vector<Item> items;
  int selection = CB_ERR;
};

StateOf<ComboState>& Combos() {
  static StateOf<ComboState> combos;
  return combos;
}

bool Holds(const ComboState& state, WPARAM index) { return index < state.items.size(); }

}  // namespace

LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Combos().Drop(window);
    return 0;
  }
  if (message < CB_ADDSTRING || message > CB_SETITEMDATA) return DefWindowProcW(window, message, wParam, lParam);
  ComboState& state = Combos()[window];
  switch (message) {
    case CB_ADDSTRING: {
      const auto* text = reinterpret_cast<const WCHAR*>(lParam);
      state.items.push_back(Item{text != nullptr ? text : u"", 0});
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
      return 0;
    case CB_SETCURSEL:
      // An index outside the list (-1 among them) leaves nothing selected.
      state.selection = Holds(state, wParam) ? static_cast<int>(wParam) : CB_ERR;
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
