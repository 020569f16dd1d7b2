// A dialog's picture: its own surface (the face and what its procedure painted), each visible
// control drawn over it in template order, and an open combo box list over everything.
#include "platform/win32/dialog_picture.h"

#include <algorithm>

#include "platform/win32/dialog_look.h"
#include "platform/win32/dialog_record.h"
#include "platform/win32/frame_writer.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

namespace win32 {
namespace {

using PaintFunction = void (*)(HWND, look::Canvas&);

PaintFunction PainterOf(HWND control) {
  const WNDPROC procedure = controls::ProcedureOf(control);
  if (procedure == controls::ButtonProcedure) return controls::PaintButton;
  if (procedure == controls::StaticProcedure) return controls::PaintStatic;
  if (procedure == controls::ComboBoxProcedure) return controls::PaintComboBox;
  if (procedure == controls::TabControlProcedure) return controls::PaintTabControl;
  if (procedure == controls::TrackbarProcedure) return controls::PaintTrackbar;
  return nullptr;
}

// A canvas on the picture for a control: its origin at the control's place, its drawing kept inside
// `clip` and the picture.
look::Canvas CanvasFor(Surface& picture, HWND dialog, const RECT& place, RECT clip, int fontPixels) {
  clip = {std::max<LONG>(clip.left, 0), std::max<LONG>(clip.top, 0), std::min<LONG>(clip.right, picture.width),
          std::min<LONG>(clip.bottom, picture.height)};
  DeviceContext dc{dialog, &picture, {}};
  if (clip.left < clip.right && clip.top < clip.bottom) dc.clip.push_back(clip);
  return look::Canvas(std::move(dc), {place.left, place.top}, fontPixels);
}

}  // namespace

Surface DialogPicture(HWND dialog) {
  Surface picture;
  if (!controls::IsDialog(dialog)) return picture;
  {
    detail::State& state = detail::GetState();
    std::lock_guard lock(state.mutex);
    detail::Window* window = detail::Find(state, dialog);
    if (window == nullptr) return picture;
    picture = *detail::SizedSurface(*window);
  }
  const int font = controls::FontPixelsOf(dialog);
  const std::vector<HWND> children = controls::ChildrenOf(dialog);
  for (HWND child : children) {
    if (!(controls::StyleOf(child) & WS_VISIBLE)) continue;
    const PaintFunction paint = PainterOf(child);
    if (paint == nullptr) continue;
    const RECT place = controls::RectOf(child);
    look::Canvas canvas = CanvasFor(picture, dialog, place, place, font);
    paint(child, canvas);
  }
  for (HWND child : children) {
    if (!controls::ComboListOpen(child)) continue;
    const RECT place = controls::RectOf(child);
    look::Canvas canvas = CanvasFor(picture, dialog, place, {0, 0, picture.width, picture.height}, font);
    controls::PaintComboList(child, canvas);
  }
  return picture;
}

namespace controls {

void PresentDialog(HWND dialog) {
  if (!IsDialog(dialog)) return;
  Surface picture = DialogPicture(dialog);
  unsigned long native = 0;
  {
    detail::State& state = detail::GetState();
    std::lock_guard lock(state.mutex);
    if (detail::Window* window = detail::Find(state, dialog)) native = window->native;
  }
  if (native != 0) x11::ShowSurface(native, picture);
  DialogRecord& record = Dialogs()[dialog];
  record.changed = false;
  const bool same = record.shown.width == picture.width && record.shown.height == picture.height &&
                    record.shown.pixels == picture.pixels;
  if (same) return;
  WriteFrameIfAsked(reinterpret_cast<uintptr_t>(dialog), record.frames++, picture);
  record.shown = std::move(picture);
}

void PresentChangedDialogs() {
  for (HWND dialog : Dialogs().Windows()) {
    if (IsDialog(dialog) && Dialogs()[dialog].changed) PresentDialog(dialog);
  }
}

}  // namespace controls
}  // namespace win32
