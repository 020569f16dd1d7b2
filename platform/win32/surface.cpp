#include "platform/win32/surface.h"

#include "platform/win32/dialog_record.h"
#include "platform/win32/frame_writer.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

namespace win32 {

Surface* WindowSurface(HWND window) {
  detail::State& state = detail::GetState();
  std::lock_guard lock(state.mutex);
  detail::Window* record = detail::Find(state, window);
  return record != nullptr ? detail::SizedSurface(*record) : nullptr;
}

bool FillsForeignWindow(HWND window) {
  detail::State& state = detail::GetState();
  std::lock_guard lock(state.mutex);
  detail::Window* record = detail::Find(state, window);
  if (record == nullptr) return false;
  if (record->given) return true;
  if (!(record->style & WS_CHILD)) return false;
  const auto parent = state.windows.find(reinterpret_cast<uintptr_t>(record->parent));
  return parent != state.windows.end() && parent->second->foreign;
}

uint64_t FollowedSizeChanges(HWND window) {
  detail::State& state = detail::GetState();
  std::lock_guard lock(state.mutex);
  detail::Window* record = detail::Find(state, window);
  return record != nullptr ? record->sizeChanges : 0;
}

void PresentWindow(HWND window) {
  HWND root = window;
  {
    detail::State& state = detail::GetState();
    std::lock_guard lock(state.mutex);
    detail::Window* record = detail::Find(state, window);
    if (record == nullptr) return;
    // A control shows in the picture of the dialog it belongs to.
    while (record->parent != nullptr) {
      detail::Window* parent = detail::Find(state, record->parent);
      if (parent == nullptr) break;
      record = parent;
    }
    root = record->handle;
    if (record->procedure != controls::DialogProcedure) {
      record = detail::Find(state, window);
      const Surface& surface = *detail::SizedSurface(*record);
      if (record->native != 0) x11::ShowSurface(record->native, surface);
      WriteFrameIfAsked(reinterpret_cast<uintptr_t>(window), record->presented++, surface);
      return;
    }
  }
  // The dialog's picture is put together once its queue is idle, not at every control's paint.
  if (controls::IsDialog(root)) controls::Dialogs()[root].changed = true;
}

}  // namespace win32
