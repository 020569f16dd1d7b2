// Modal dialogs: the window and controls of a template, WM_INITDIALOG, the test hook, and a modal
// loop that runs until the procedure calls EndDialog.
#include <cstdio>
#include <mutex>

#include "platform/machine/text.h"
#include "platform/win32/controls.h"
#include "platform/win32/dialog_hook.h"
#include "platform/win32/dialog_template.h"

namespace win32 {
namespace {

// The base units of the one dialog font: a dialog unit is a quarter of its average character
// width across and an eighth of its height down.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

struct DialogRecord {
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
};

controls::StateOf<DialogRecord>& Dialogs() {
  static controls::StateOf<DialogRecord> dialogs;
  return dialogs;
}

struct Hook {
  std::mutex mutex;
  std::function<void(HWND, WORD)> run;
};

Hook& GetHook() {
  static Hook hook;
  return hook;
}

int PixelsAcross(SHORT units) { return units * kBaseUnitX / 4; }
int PixelsDown(SHORT units) { return units * kBaseUnitY / 8; }

// Makes the dialog's window and controls; null when a control's class is unknown.
HWND CreateDialogWindow(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND parent, DLGPROC procedure) {
  const DWORD style = (dialogTemplate.style | WS_VISIBLE) & ~WS_CHILD;
  RECT frame{0, 0, PixelsAcross(dialogTemplate.cx), PixelsDown(dialogTemplate.cy)};
  AdjustWindowRect(&frame, style, FALSE);
  HWND dialog = CreateWindowExW(dialogTemplate.exStyle, controls::kDialogClass, dialogTemplate.caption.c_str(), style,
                                PixelsAcross(dialogTemplate.x), PixelsDown(dialogTemplate.y), frame.right - frame.left,
                                frame.bottom - frame.top, parent, nullptr, instance, nullptr);
  if (dialog == nullptr) return nullptr;
  Dialogs()[dialog].procedure = procedure;
  for (const DialogItemTemplate& item : dialogTemplate.items) {
    HWND control = CreateWindowExW(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                   PixelsAcross(item.x), PixelsDown(item.y), PixelsAcross(item.cx), PixelsDown(item.cy),
                                   dialog, reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance, nullptr);
    if (control == nullptr) {
      std::fprintf(stderr, "DialogBoxParamW: no control class \"%s\"\n", machine::Utf8FromWide(item.className).c_str());
      DestroyWindow(dialog);
      return nullptr;
    }
  }
  return dialog;
}

bool Ended(HWND dialog, INT_PTR* result) {
  const DialogRecord& record = Dialogs()[dialog];
  *result = record.result;
  return record.ended;
}

// Dispatches what the queue holds until the dialog ends; false when the queue ran dry first.
bool RunQueue(HWND dialog, INT_PTR* result) {
  MSG message{};
  while (!Ended(dialog, result)) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
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

}  // namespace

void SetDialogHook(std::function<void(HWND, WORD)> hook) {
  std::lock_guard lock(GetHook().mutex);
  GetHook().run = std::move(hook);
}

namespace controls {

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DLGPROC procedure = Dialogs()[window].procedure;
  if (message == WM_DESTROY) {
    if (procedure != nullptr) procedure(window, message, wParam, lParam);
    Dialogs().Drop(window);
    return 0;
  }
  if (procedure != nullptr && procedure(window, message, wParam, lParam)) return TRUE;
  if (message == WM_CLOSE) {
    // The close box is the Cancel button.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
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
  controls::RegisterClasses();
  HWND dialog = CreateDialogWindow(instance, *dialogTemplate, parent, procedure);
  if (dialog == nullptr) return -1;

  // The owner takes no input while its modal dialog is open.
  const bool disableOwner = parent != nullptr && IsWindowEnabled(parent);
  if (disableOwner) EnableWindow(parent, FALSE);
  const std::vector<HWND> controls = controls::ChildrenOf(dialog);
  SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(controls.empty() ? nullptr : controls.front()), initParam);

  INT_PTR result = 0;
  if (!Ended(dialog, &result)) {
    std::function<void(HWND, WORD)> hook;
    {
      std::lock_guard lock(GetHook().mutex);
      hook = GetHook().run;
    }
    if (hook) hook(dialog, IS_INTRESOURCE(templateName) ? LOWORD(templateName) : WORD{0});
  }
  if (!RunQueue(dialog, &result)) {
    // No one is there to click: the dialog is closed as by its close box.
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    if (!RunQueue(dialog, &result)) {
      std::fprintf(stderr, "DialogBoxParamW: the dialog did not end when closed\n");
      result = -1;
    }
  }
  if (disableOwner) EnableWindow(parent, TRUE);
  DestroyWindow(dialog);
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  if (controls::ProcedureOf(dialog) != controls::DialogProcedure) return FALSE;
  DialogRecord& record = Dialogs()[dialog];
  record.ended = true;
  record.result = result;
  return TRUE;
}
