// The tab control class: a row of titled tabs, one of them selected (and focused).
#include <algorithm>
#include <string>

#include <commctrl.h>

#include "platform/win32/controls.h"

namespace win32::controls {
namespace {

struct TabState {
  std::vector<std::u16string> titles;
  int selection = -1;
};

StateOf<TabState>& Tabs() {
  static StateOf<TabState> tabs;
  return tabs;
}

}  // namespace

LRESULT CALLBACK TabControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Tabs().Drop(window);
    return 0;
  }
  if (message < TCM_FIRST || message > TCM_INSERTITEMW) return DefWindowProcW(window, message, wParam, lParam);
  TabState& state = Tabs()[window];
  const auto count = static_cast<WPARAM>(state.titles.size());
  switch (message) {
    case TCM_INSERTITEMW: {
      const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
      if (item == nullptr) return -1;
      const WPARAM at = std::min(wParam, count);
      std::u16string title = (item->mask & TCIF_TEXT) && item->pszText != nullptr ? item->pszText : u"";
      state.titles.insert(state.titles.begin() + static_cast<std::ptrdiff_t>(at), std::move(title));
      // The first tab is selected as it arrives; a tab inserted before the selection moves it along.
      if (state.selection < 0) {
        state.selection = 0;
      } else if (static_cast<int>(at) <= state.selection) {
        ++state.selection;
      }
      return static_cast<LRESULT>(at);
    }
    case TCM_GETITEMCOUNT:
      return static_cast<LRESULT>(count);
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
      return state.selection;
    case TCM_SETCURSEL:
    case TCM_SETCURFOCUS: {
      if (wParam >= count) return -1;
      const int previous = state.selection;
      state.selection = static_cast<int>(wParam);
      return previous;
    }
    case TCM_GETITEMW: {
      auto* item = reinterpret_cast<TCITEMW*>(lParam);
      if (item == nullptr || wParam >= count) return FALSE;
      if ((item->mask & TCIF_TEXT) && item->pszText != nullptr && item->cchTextMax > 0) {
        const std::u16string& title = state.titles[wParam];
        const size_t copied = std::min<size_t>(title.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::copy_n(title.begin(), copied, item->pszText);
        item->pszText[copied] = 0;
      }
      return TRUE;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace win32::controls
