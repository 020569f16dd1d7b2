// A user of a dialog: the mouse and keys given to it as its window gets them, at points of its
// controls, and what its picture shows there.
#pragma once
#include <windows.h>

#include "platform/win32/controls.h"
#include "platform/win32/dialog_picture.h"

namespace dialog_user {

inline RECT Place(HWND dialog, int id) { return win32::controls::RectOf(GetDlgItem(dialog, id)); }

// The mouse at a point of a control (its own coordinates), as the dialog's window reports it.
inline void Mouse(HWND dialog, UINT message, int id, int x, int y) {
  const RECT place = Place(dialog, id);
  SendMessageW(dialog, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
               MAKELPARAM(place.left + x, place.top + y));
}
inline void Click(HWND dialog, int id, int x, int y) {
  Mouse(dialog, WM_LBUTTONDOWN, id, x, y);
  Mouse(dialog, WM_LBUTTONUP, id, x, y);
}
inline void Key(HWND dialog, WPARAM key) {
  SendMessageW(dialog, WM_KEYDOWN, key, 1);
  SendMessageW(dialog, WM_KEYUP, key, 1);
}
inline int Focused(HWND dialog) {
  HWND focus = GetFocus();
  return focus != nullptr && win32::controls::ParentOf(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

// The dialog as it shows once its queue has painted it.
inline win32::Surface Picture(HWND dialog) {
  UpdateWindow(dialog);
  return win32::DialogPicture(dialog);
}

// A pixel of the dialog's picture at a point of a control.
inline uint32_t Pixel(const win32::Surface& picture, const RECT& place, int x, int y) {
  const int px = place.left + x, py = place.top + y;
  if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) return 0xDEADBEEF;
  return picture.pixels[static_cast<size_t>(py) * picture.width + px] & 0xFFFFFF;
}

}  // namespace dialog_user
