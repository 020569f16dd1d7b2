// The tab control class: a row of titled tabs, one of them selected (and focused), over the frame of
// the page the dialog fills in for it.
#include <algorithm>
#include <string>

#include <commctrl.h>

#include "platform/win32/controls.h"
#include "platform/win32/dialog_look.h"
#include "platform/win32/gdi_paint.h"

namespace win32::controls {
namespace {

// Space around a tab's title, and how far the selected tab stands out of the row.
constexpr int kTitlePadding = 6;
constexpr int kRaise = 2;

struct TabState {
  std::vector<std::u16string> titles;
  int selection = -1;
};

StateOf<TabState>& Tabs() {
  static StateOf<TabState> tabs;
  return tabs;
}

int RowHeight(HWND tabs) {
  const auto metrics = gdi::Metrics(FontPixelsOf(tabs));
  return (metrics ? metrics->height : 13) + 6;
}

// The rectangles of the tabs in the row (unselected size), left to right.
std::vector<RECT> TabRects(HWND tabs, const TabState& state) {
  std::vector<RECT> rects;
  const int font = FontPixelsOf(tabs);
  const int bottom = kRaise + RowHeight(tabs);
  int x = kRaise;
  for (const std::u16string& title : state.titles) {
    const int width = gdi::TextWidth(look::WithoutPrefixes(title), font) + 2 * kTitlePadding;
    rects.push_back({x, kRaise, x + width, bottom});
    x += width;
  }
  return rects;
}

int TabAt(HWND tabs, const TabState& state, POINT point) {
  const std::vector<RECT> rects = TabRects(tabs, state);
  for (size_t i = 0; i < rects.size(); ++i) {
    RECT r = rects[i];
    if (static_cast<int>(i) == state.selection) r = {r.left - kRaise, 0, r.right + kRaise, r.bottom};
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

// The user's choice of a tab: TCN_SELCHANGING first (a non-zero answer keeps the selection), then
// the new selection and TCN_SELCHANGE.
void Choose(HWND tabs, int index) {
  if (index < 0 || index >= static_cast<int>(Tabs()[tabs].titles.size()) || index == Tabs()[tabs].selection) return;
  if (NotifyParentHeader(tabs, TCN_SELCHANGING) != 0) return;
  Tabs()[tabs].selection = index;
  Redraw(tabs);
  NotifyParentHeader(tabs, TCN_SELCHANGE);
}

}  // namespace

bool TabControlTakesClick(HWND tabs, POINT point) { return TabAt(tabs, Tabs()[tabs], point) >= 0; }

void PaintTabControl(HWND tabs, look::Canvas& canvas) {
  const TabState state = Tabs()[tabs];
  const RECT rect = RectOf(tabs);
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  const int pageTop = kRaise + RowHeight(tabs);
  const bool enabled = IsWindowEnabled(tabs) != FALSE;
  canvas.Fill({0, 0, width, pageTop}, look::kFace);
  // The page: a raised frame round the face the page's controls stand on.
  canvas.Fill({0, pageTop, width, height}, look::kFace);
  canvas.Raised({0, pageTop, width, height});
  const std::vector<RECT> rects = TabRects(tabs, state);
  for (size_t i = 0; i < rects.size(); ++i) {
    const bool selected = static_cast<int>(i) == state.selection;
    RECT r = rects[i];
    if (selected) r = {r.left - kRaise, 0, r.right + kRaise, r.bottom + 1};
    canvas.Fill(r, look::kFace);
    canvas.Fill({r.left, r.top + 2, r.left + 1, r.bottom}, look::kHighlight);       // left side
    canvas.Fill({r.left + 2, r.top, r.right - 2, r.top + 1}, look::kHighlight);     // top
    canvas.Pixel(r.left + 1, r.top + 1, look::kHighlight);                          // rounded corner
    canvas.Fill({r.right - 2, r.top + 2, r.right - 1, r.bottom}, look::kShadow);    // right side
    canvas.Fill({r.right - 1, r.top + 2, r.right, r.bottom}, look::kDarkShadow);
    canvas.Pixel(r.right - 2, r.top + 1, look::kDarkShadow);
    // The selected tab opens into its page: the page's top edge stops under it.
    if (selected) canvas.Fill({r.left + 1, pageTop, r.right - 2, pageTop + 2}, look::kFace);
    const RECT title{r.left + 2, r.top + 2, r.right - 2, r.bottom - (selected ? 1 : 0)};
    canvas.Text(state.titles[i], title, DT_CENTER | DT_VCENTER | DT_SINGLELINE, enabled);
    if (selected && GetFocus() == tabs) canvas.FocusRect({title.left + 1, title.top + 1, title.right - 1, title.bottom - 1});
  }
}

LRESULT CALLBACK TabControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Tabs().Drop(window);
    return 0;
  }
  if (message == WM_LBUTTONDOWN) {
    Choose(window, TabAt(window, Tabs()[window], {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))}));
    return 0;
  }
  if (message == WM_KEYDOWN) {
    const int selection = Tabs()[window].selection;
    if (wParam == VK_LEFT || wParam == VK_UP) Choose(window, selection - 1);
    if (wParam == VK_RIGHT || wParam == VK_DOWN) Choose(window, selection + 1);
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
      Redraw(window);
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
      Redraw(window);
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
