// The device contexts BeginPaint hands out. Drawing functions find what a handle draws on here: the
// window's surface, and the clip area as a list of rectangles in client coordinates. A pixel may
// be drawn when it lies inside at least one of the rectangles; an empty list clips everything.
// The list is the area that was invalid, within the client area; excluding a rectangle from the clip
// area means replacing each rectangle of the list by its parts outside that rectangle.
#pragma once
#include <vector>

#include <windows.h>

#include "platform/win32/surface.h"

namespace win32 {

struct DeviceContext {
  HWND window = nullptr;
  Surface* surface = nullptr;
  std::vector<RECT> clip;
};

// The context of a handle BeginPaint gave and EndPaint has not yet released; null otherwise.
DeviceContext* FindDeviceContext(HDC dc);

}  // namespace win32
