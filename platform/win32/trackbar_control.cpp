// The trackbar class: a position kept inside a range.
#include <algorithm>

#include <commctrl.h>

#include "platform/win32/controls.h"

namespace win32::controls {
namespace {

struct TrackbarState {
  LONG minimum = 0;
  LONG maximum = 100;
  LONG position = 0;
};

StateOf<TrackbarState>& Trackbars() {
  static StateOf<TrackbarState> trackbars;
  return trackbars;
}

}  // namespace

LRESULT CALLBACK TrackbarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Trackbars().Drop(window);
    return 0;
  }
  if (message < TBM_GETPOS || message > TBM_SETTICFREQ) return DefWindowProcW(window, message, wParam, lParam);
  TrackbarState& state = Trackbars()[window];
  switch (message) {
    case TBM_GETPOS:
      return state.position;
    case TBM_GETRANGEMIN:
      return state.minimum;
    case TBM_GETRANGEMAX:
      return state.maximum;
    case TBM_SETPOS:
      state.position = std::clamp(static_cast<LONG>(lParam), state.minimum, state.maximum);
      return 0;
    case TBM_SETRANGE: {
      // The low word is the minimum and the high word the maximum, each 16 bits signed.
      const auto low = static_cast<SHORT>(LOWORD(lParam));
      const auto high = static_cast<SHORT>(HIWORD(lParam));
      state.minimum = low;
      state.maximum = std::max<LONG>(low, high);
      state.position = std::clamp(state.position, state.minimum, state.maximum);
      return 0;
    }
    case TBM_SETTICFREQ:
      return 0;  // nothing draws the ticks
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace win32::controls
