// Modal dialogs: the window and controls of a template laid out in its font, WM_INITDIALOG, the
// test hook, and a modal loop that runs until the procedure calls EndDialog.
#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/machine/text.h"
#include "platform/win32/dialog_hook.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/dialog_look.h"
#include "platform/win32/dialog_unseen.h"
#include "platform/win32/dialog_record.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/gdi_paint.h"
#include "platform/win32/termination.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

namespace win32 {
namespace {

// The pixel size of the window font, for a control outside any dialog.
constexpr int kDefaultFontPixels = 13;
// How long an idle dialog with a display sleeps before it looks at its queue again (milliseconds).
constexpr int kIdleWait = 10;

std::atomic<HWND> g_focus{nullptr};
std::atomic<bool> g_closedUnseen{false};

struct Hook {
  std::mutex mutex;
  std::function<void(HWND, WORD)> run;
};

Hook& GetHook() {
  static Hook hook;
  return hook;
}

// The control that takes the keyboard first: the first tab stop that can.
HWND FirstTabStop(HWND dialog) {
  for (HWND control : controls::ChildrenOf(dialog))
    if ((controls::StyleOf(control) & WS_TABSTOP) && controls::TakesFocus(control)) return control;
  return nullptr;
}

bool Ended(HWND dialog, INT_PTR* result) {
  // A dialog whose window went away (its X11 window destroyed under it) has ended too.
  if (!controls::IsDialog(dialog)) {
    *result = -1;
    return true;
  }
  const controls::DialogRecord& record = controls::Dialogs()[dialog];
  *result = record.result;
  return record.ended;
}

// Dispatches what the queue holds until the dialog ends, showing every changed dialog whenever the
// queue is empty. Without someone to give input (`wait` false) it gives up, false, once the queue
// ran dry; with a display it waits for the user.
bool RunQueue(HWND dialog, INT_PTR* result, bool wait) {
  MSG message{};
  while (!Ended(dialog, result)) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      controls::PresentChangedDialogs();
      if (!wait) return false;
      x11::WaitForEvents(kIdleWait);
      continue;
    }
    if (message.message == WM_QUIT) {
      // The quit belongs to the program's own loop: leave it there and give the dialog up.
      PostQuitMessage(static_cast<int>(message.wParam));
      *result = -1;
      return true;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

bool HasNativeWindow(HWND dialog) {
  detail::State& state = detail::GetState();
  std::lock_guard lock(state.mutex);
  detail::Window* window = detail::Find(state, dialog);
  return window != nullptr && window->native != 0;
}

}  // namespace

bool DialogClosedUnseen() { return g_closedUnseen; }

void SetDialogHook(std::function<void(HWND, WORD)> hook) {
  std::lock_guard lock(GetHook().mutex);
  GetHook().run = std::move(hook);
}

namespace controls {

StateOf<DialogRecord>& Dialogs() {
  static StateOf<DialogRecord> dialogs;
  return dialogs;
}

bool IsDialog(HWND window) { return window != nullptr && ProcedureOf(window) == DialogProcedure; }

int FontPixelsOf(HWND window) {
  HWND dialog = IsDialog(window) ? window : ParentOf(window);
  if (!IsDialog(dialog)) return kDefaultFontPixels;
  const int pixels = Dialogs()[dialog].fontPixels;
  return pixels > 0 ? pixels : kDefaultFontPixels;
}

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DLGPROC procedure = Dialogs()[window].procedure;
  if (message == WM_DESTROY) {
    if (procedure != nullptr) procedure(window, message, wParam, lParam);
    Dialogs().Drop(window);
    return 0;
  }
  if (procedure != nullptr && procedure(window, message, wParam, lParam)) return TRUE;
  switch (message) {
    case WM_ERASEBKGND: {
      // The dialog's face: the controls are drawn over it in its picture.
      if (DeviceContext* dc = FindDeviceContext(reinterpret_cast<HDC>(wParam))) {
        if (dc->surface) gdi::Fill(*dc, {0, 0, dc->surface->width, dc->surface->height}, look::kFace);
      }
      return TRUE;
    }
    case WM_CLOSE:
      // While a dialog of its own is open over it, the close box does nothing.
      if (!IsWindowEnabled(window)) return 0;
      // The close box is the Cancel button.
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
      return 0;
    default:
      if (DialogInput(window, message, wParam, lParam)) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND parent,
                              DLGPROC procedure) {
  RegisterClasses();
  const DialogLayout layout = LayoutOf(dialogTemplate);
  const DWORD style = (dialogTemplate.style | WS_VISIBLE) & ~WS_CHILD;
  RECT frame{0, 0, layout.Across(dialogTemplate.cx), layout.Down(dialogTemplate.cy)};
  AdjustWindowRect(&frame, style, FALSE);
  HWND dialog = CreateWindowExW(dialogTemplate.exStyle, kDialogClass, dialogTemplate.caption.c_str(), style,
                                layout.Across(dialogTemplate.x), layout.Down(dialogTemplate.y),
                                frame.right - frame.left, frame.bottom - frame.top, parent, nullptr, instance, nullptr);
  if (dialog == nullptr) return nullptr;
  DialogRecord& record = Dialogs()[dialog];
  record.procedure = procedure;
  record.fontPixels = layout.fontPixels;
  for (const DialogItemTemplate& item : dialogTemplate.items) {
    HWND control = CreateWindowExW(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                   layout.Across(item.x), layout.Down(item.y), layout.Across(item.cx),
                                   layout.Down(item.cy), dialog,
                                   reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance, nullptr);
    if (control == nullptr) {
      std::fprintf(stderr, "DialogBoxParamW: no control class \"%s\"\n", machine::Utf8FromWide(item.className).c_str());
      DestroyWindow(dialog);
      return nullptr;
    }
  }
  return dialog;
}

INT_PTR RunModalDialog(HWND dialog, HWND parent, LPARAM initParam, WORD templateId) {
  PlaceDialog(dialog);
  // The owner takes no input while its modal dialog is open.
  const bool disableOwner = parent != nullptr && IsWindowEnabled(parent);
  if (disableOwner) EnableWindow(parent, FALSE);
  HWND ownerFocus = GetFocus();
  HWND first = FirstTabStop(dialog);
  if (first == nullptr) {
    const std::vector<HWND> children = ChildrenOf(dialog);
    first = children.empty() ? nullptr : children.front();
  }
  // TRUE from the procedure gives the keyboard to the control it was offered.
  if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) && first != nullptr &&
      IsDialog(dialog) && TakesFocus(first)) {
    SetFocus(first);
  }

  INT_PTR result = 0;
  std::function<void(HWND, WORD)> hook;
  {
    std::lock_guard lock(GetHook().mutex);
    hook = GetHook().run;
  }
  if (!Ended(dialog, &result) && hook) hook(dialog, templateId);
  // A user can work a dialog that shows on a display; one a test drives is done when its hook is.
  const bool user = !hook && HasNativeWindow(dialog);
  if (!RunQueue(dialog, &result, user)) {
    // No one is there to click: the dialog is closed as by its close box.
    if (!hook && !HasNativeWindow(dialog)) {
      std::fprintf(stderr, "copperleaf: a dialog needs a display, and there is none; it is closed unseen\n");
      g_closedUnseen = true;
    }
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    if (!RunQueue(dialog, &result, false)) {
      std::fprintf(stderr, "DialogBoxParamW: the dialog did not end when closed\n");
      result = -1;
    }
  }
  if (disableOwner) EnableWindow(parent, TRUE);
  DestroyWindow(dialog);
  // The owner, a dialog itself, ignored the close the program was asked for while this one was open
  // over it: it is closed now, in turn.
  if (disableOwner && detail::Closing() && IsDialog(parent)) PostMessageW(parent, WM_CLOSE, 0, 0);
  // The keyboard goes back to the owner's control that had it.
  SetFocus(IsWindow(ownerFocus) ? ownerFocus : nullptr);
  return result;
}

}  // namespace controls
}  // namespace win32

using namespace win32;

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                               LPARAM initParam) {
  if (procedure == nullptr) return -1;
  HRSRC found = FindResourceW(instance, templateName, RT_DIALOG);
  if (found == nullptr) return -1;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
  auto dialogTemplate = ParseDialogTemplate({bytes, SizeofResource(instance, found)});
  if (!dialogTemplate) return -1;
  HWND dialog = controls::CreateDialogFromTemplate(instance, *dialogTemplate, parent, procedure);
  if (dialog == nullptr) return -1;
  return controls::RunModalDialog(dialog, parent, initParam,
                                  IS_INTRESOURCE(templateName) ? LOWORD(templateName) : WORD{0});
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  if (!controls::IsDialog(dialog)) return FALSE;
  controls::DialogRecord& record = controls::Dialogs()[dialog];
  record.ended = true;
  record.result = result;
  return TRUE;
}

HWND WINAPI GetFocus() {
  HWND focus = g_focus.load();
  return IsWindow(focus) ? focus : nullptr;
}

HWND WINAPI SetFocus(HWND window) {
  if (window != nullptr && !IsWindow(window)) return nullptr;
  HWND previous = g_focus.exchange(window);
  if (window != nullptr) {
    HWND dialog = controls::ParentOf(window);
    if (controls::IsDialog(dialog)) controls::Dialogs()[dialog].focus = window;
    controls::Redraw(window);
  }
  if (previous != nullptr && previous != window && IsWindow(previous)) controls::Redraw(previous);
  return IsWindow(previous) ? previous : nullptr;
}
