// The trackbar class: a thumb that slides along a channel over a range of positions, with tick
// marks. A vertical one has its smallest position at the top.
#include <algorithm>

#include <commctrl.h>

#include "platform/win32/controls.h"
#include "platform/win32/dialog_look.h"

namespace win32::controls {
namespace {

// The thumb's size along the channel, the margin at each end of the channel where the thumb's
// centre stops, and the largest breadth of the thumb across it.
constexpr int kThumbLength = 11;
constexpr int kMargin = 8;
constexpr int kMaxThumbBreadth = 21;
constexpr int kTickLength = 3;

struct TrackbarState {
  LONG minimum = 0;
  LONG maximum = 100;
  LONG position = 0;
  LONG ticFrequency = 1;
  bool dragging = false;
  int grab = 0;         // where along the thumb it was taken
  bool paging = false;  // a press on the channel moved it by a page
};

StateOf<TrackbarState>& Trackbars() {
  static StateOf<TrackbarState> trackbars;
  return trackbars;
}

bool Vertical(HWND trackbar) { return (StyleOf(trackbar) & TBS_VERT) != 0; }

// Lengths along the channel and across it, whichever way the trackbar lies.
struct Axes {
  int length;   // along
  int breadth;  // across
};

Axes AxesOf(HWND trackbar) {
  const RECT rect = RectOf(trackbar);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  return Vertical(trackbar) ? Axes{height, width} : Axes{width, height};
}

int CentreOf(const Axes& axes, const TrackbarState& state, LONG position) {
  const int span = std::max(0, axes.length - 2 * kMargin);
  if (state.maximum <= state.minimum) return kMargin;
  return kMargin + static_cast<int>(static_cast<long long>(position - state.minimum) * span / (state.maximum - state.minimum));
}

LONG PositionAt(const Axes& axes, const TrackbarState& state, int along) {
  const int span = std::max(1, axes.length - 2 * kMargin);
  const long long range = state.maximum - state.minimum;
  const long long offset = std::clamp(along - kMargin, 0, span);
  return state.minimum + static_cast<LONG>((offset * range + span / 2) / span);
}

int ThumbBreadth(const Axes& axes) { return std::clamp(axes.breadth - 4 * kTickLength - 4, 6, kMaxThumbBreadth); }

// A rectangle given along and across, in the control's coordinates.
RECT Oriented(bool vertical, int alongStart, int alongEnd, int acrossStart, int acrossEnd) {
  return vertical ? RECT{acrossStart, alongStart, acrossEnd, alongEnd} : RECT{alongStart, acrossStart, alongEnd, acrossEnd};
}

void Notify(HWND trackbar, WORD code, LONG position) {
  HWND parent = ParentOf(trackbar);
  if (parent == nullptr) return;
  const bool withPosition = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
  SendMessageW(parent, Vertical(trackbar) ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, withPosition ? static_cast<WORD>(position) : 0), reinterpret_cast<LPARAM>(trackbar));
}

void Move(HWND trackbar, TrackbarState& state, LONG position) {
  position = std::clamp(position, state.minimum, state.maximum);
  if (position == state.position) return;
  state.position = position;
  Redraw(trackbar);
}

int AlongOf(HWND trackbar, LPARAM lParam) {
  return Vertical(trackbar) ? static_cast<SHORT>(HIWORD(lParam)) : static_cast<SHORT>(LOWORD(lParam));
}

int AcrossOf(HWND trackbar, LPARAM lParam) {
  return Vertical(trackbar) ? static_cast<SHORT>(LOWORD(lParam)) : static_cast<SHORT>(HIWORD(lParam));
}

}  // namespace

void PaintTrackbar(HWND trackbar, look::Canvas& canvas) {
  const TrackbarState state = Trackbars()[trackbar];
  const bool vertical = Vertical(trackbar);
  const Axes axes = AxesOf(trackbar);
  const DWORD style = StyleOf(trackbar);
  const bool enabled = IsWindowEnabled(trackbar) != FALSE;
  canvas.Fill(Oriented(vertical, 0, axes.length, 0, axes.breadth), look::kFace);
  const int middle = axes.breadth / 2;
  // The channel: a sunken groove four pixels wide from one end's stop to the other's.
  canvas.Sunken(Oriented(vertical, kMargin - 2, axes.length - kMargin + 2, middle - 2, middle + 2));
  const int breadth = ThumbBreadth(axes);
  const int thumbStart = middle - breadth / 2;
  const int thumbEnd = thumbStart + breadth;
  // Ticks at both ends of the range and, with automatic ticks, at every tick frequency, on the
  // side of the thumb its style names (right or below by default, both with TBS_BOTH).
  if (!(style & TBS_NOTICKS)) {
    const uint32_t tick = enabled ? look::kText : look::kGreyText;
    const bool both = (style & TBS_BOTH) != 0;
    auto mark = [&](LONG position) {
      const int at = CentreOf(axes, state, position);
      if (both) canvas.Fill(Oriented(vertical, at, at + 1, thumbStart - 2 - kTickLength, thumbStart - 2), tick);
      canvas.Fill(Oriented(vertical, at, at + 1, thumbEnd + 2, thumbEnd + 2 + kTickLength), tick);
    };
    mark(state.minimum);
    if ((style & TBS_AUTOTICKS) && state.ticFrequency > 0)
      for (LONG position = state.minimum + state.ticFrequency; position < state.maximum; position += state.ticFrequency)
        mark(position);
    mark(state.maximum);
  }
  const int centre = CentreOf(axes, state, state.position);
  const RECT thumb = Oriented(vertical, centre - kThumbLength / 2, centre - kThumbLength / 2 + kThumbLength, thumbStart, thumbEnd);
  canvas.Fill(thumb, look::kFace);
  canvas.Raised(thumb);
  if (!enabled) canvas.Fill({thumb.left + 3, thumb.top + 3, thumb.right - 3, thumb.bottom - 3}, look::kLight);
  if (GetFocus() == trackbar) canvas.FocusRect(Oriented(vertical, 0, axes.length, 0, axes.breadth));
}

LRESULT CALLBACK TrackbarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Trackbars().Drop(window);
    return 0;
  }
  TrackbarState& state = Trackbars()[window];
  const Axes axes = AxesOf(window);
  switch (message) {
    case WM_LBUTTONDOWN: {
      const int along = AlongOf(window, lParam);
      const int across = AcrossOf(window, lParam);
      const int centre = CentreOf(axes, state, state.position);
      const int middle = axes.breadth / 2;
      const int breadth = ThumbBreadth(axes);
      const bool onThumb = along >= centre - kThumbLength / 2 && along < centre - kThumbLength / 2 + kThumbLength &&
                           across >= middle - breadth / 2 && across < middle - breadth / 2 + breadth;
      if (onThumb) {
        state.dragging = true;
        state.grab = along - centre;
        return 0;
      }
      // Elsewhere a press moves the thumb a page (a fifth of the range) towards the pointer.
      const LONG page = std::max<LONG>(1, (state.maximum - state.minimum) / 5);
      const bool up = along < centre;
      Move(window, state, state.position + (up ? -page : page));
      state.paging = true;
      Notify(window, up ? TB_PAGEUP : TB_PAGEDOWN, state.position);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state.dragging) {
        const LONG before = state.position;
        Move(window, state, PositionAt(axes, state, AlongOf(window, lParam) - state.grab));
        if (state.position != before) Notify(window, TB_THUMBTRACK, state.position);
      }
      return 0;
    case WM_LBUTTONUP:
      if (state.dragging) {
        // The dialog may do anything on the first notification, even destroy the trackbar.
        state.dragging = false;
        const LONG position = state.position;
        Notify(window, TB_THUMBPOSITION, position);
        Notify(window, TB_ENDTRACK, position);
      } else if (state.paging) {
        state.paging = false;
        Notify(window, TB_ENDTRACK, state.position);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_LEFT) {
        Move(window, state, state.position - 1);
        Notify(window, TB_LINEUP, state.position);
      } else if (wParam == VK_DOWN || wParam == VK_RIGHT) {
        Move(window, state, state.position + 1);
        Notify(window, TB_LINEDOWN, state.position);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_UP || wParam == VK_LEFT || wParam == VK_DOWN || wParam == VK_RIGHT)
        Notify(window, TB_ENDTRACK, state.position);
      return 0;
    case TBM_GETPOS:
      return state.position;
    case TBM_GETRANGEMIN:
      return state.minimum;
    case TBM_GETRANGEMAX:
      return state.maximum;
    case TBM_SETPOS:
      Move(window, state, static_cast<LONG>(lParam));
      return 0;
    case TBM_SETRANGE: {
      // The low word is the minimum and the high word the maximum, each 16 bits signed.
      const auto low = static_cast<SHORT>(LOWORD(lParam));
      const auto high = static_cast<SHORT>(HIWORD(lParam));
      state.minimum = low;
      state.maximum = std::max<LONG>(low, high);
      state.position = std::clamp(state.position, state.minimum, state.maximum);
      Redraw(window);
      return 0;
    }
    case TBM_SETTICFREQ:
      // A frequency below one would put a tick at every pixel forever: it is taken as one.
      state.ticFrequency = std::max<LONG>(1, static_cast<LONG>(wParam));
      Redraw(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace win32::controls
