// Rectangle fills, frames and the clip exclusion.
#include <algorithm>
#include <vector>

#include "platform/win32/gdi_paint.h"

using win32::DeviceContext;

int WINAPI FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
  DeviceContext* dc = win32::FindDeviceContext(handle);
  const auto colour = win32::gdi::BrushColour(brush);
  if (!dc || !rect || !colour) return 0;
  win32::gdi::Fill(*dc, *rect, *colour);
  return 1;
}

int WINAPI FrameRect(HDC handle, const RECT* rect, HBRUSH brush) {
  DeviceContext* dc = win32::FindDeviceContext(handle);
  const auto colour = win32::gdi::BrushColour(brush);
  if (!dc || !rect || !colour) return 0;
  const RECT& r = *rect;
  if (r.left >= r.right || r.top >= r.bottom) return 1;
  win32::gdi::Fill(*dc, {r.left, r.top, r.right, r.top + 1}, *colour);
  win32::gdi::Fill(*dc, {r.left, r.bottom - 1, r.right, r.bottom}, *colour);
  win32::gdi::Fill(*dc, {r.left, r.top, r.left + 1, r.bottom}, *colour);
  win32::gdi::Fill(*dc, {r.right - 1, r.top, r.right, r.bottom}, *colour);
  return 1;
}

int WINAPI ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
  DeviceContext* dc = win32::FindDeviceContext(handle);
  if (!dc) return RGN_ERROR;
  std::vector<RECT> remaining;
  for (const RECT& r : dc->clip) {
    const LONG il = std::max(r.left, (LONG)left), it = std::max(r.top, (LONG)top);
    const LONG ir = std::min(r.right, (LONG)right), ib = std::min(r.bottom, (LONG)bottom);
    if (il >= ir || it >= ib) {
      remaining.push_back(r);
      continue;
    }
    // The parts above, below, left and right of the excluded rectangle.
    if (r.top < it) remaining.push_back({r.left, r.top, r.right, it});
    if (ib < r.bottom) remaining.push_back({r.left, ib, r.right, r.bottom});
    if (r.left < il) remaining.push_back({r.left, it, il, ib});
    if (ir < r.right) remaining.push_back({ir, it, r.right, ib});
  }
  dc->clip = std::move(remaining);
  if (dc->clip.empty()) return NULLREGION;
  return dc->clip.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
