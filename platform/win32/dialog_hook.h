// Tests drive an open dialog here: the hook runs once each dialog has handled WM_INITDIALOG, and
// acts on it as a user would, through the functions below, until it ends the dialog (or leaves it
// to be closed as by its close box).
#pragma once
#include <functional>

#include <windows.h>

namespace win32 {

// `templateId` is the template's number (0 for a template named by text). Dialogs opened from
// inside the hook (a button that opens another dialog) call it again, nested. Null removes it.
void SetDialogHook(std::function<void(HWND dialog, WORD templateId)> hook);

// Each acts only on a control that exists and is enabled, and returns whether it did.
// A click on a button (BM_CLICK).
bool ClickControl(HWND dialog, int id);
// Picking a combo box item from its list: the selection, then CBN_SELCHANGE to the dialog.
bool ChooseComboItem(HWND dialog, int id, int index);
// Clicking a tab: TCN_SELCHANGING, the selection, then TCN_SELCHANGE, each a WM_NOTIFY to the dialog.
bool ChooseTab(HWND dialog, int id, int index);
// Dragging a trackbar's thumb to a position (kept inside its range).
bool MoveTrackbar(HWND dialog, int id, int position);

}  // namespace win32
