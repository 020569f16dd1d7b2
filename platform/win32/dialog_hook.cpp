#include "platform/win32/dialog_hook.h"

#include <commctrl.h>

#include "platform/win32/controls.h"

namespace win32 {
namespace {

HWND EnabledControl(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr && IsWindowEnabled(control) ? control : nullptr;
}

void Notify(HWND dialog, HWND control, UINT code) {
  NMHDR header{control, static_cast<UINT_PTR>(GetDlgCtrlID(control)), code};
  SendMessageW(dialog, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace

bool ClickControl(HWND dialog, int id) {
  HWND button = EnabledControl(dialog, id);
  if (button == nullptr || controls::ProcedureOf(button) != controls::ButtonProcedure) return false;
  SendMessageW(button, BM_CLICK, 0, 0);
  return true;
}

bool ChooseComboItem(HWND dialog, int id, int index) {
  HWND combo = EnabledControl(dialog, id);
  if (combo == nullptr || controls::ProcedureOf(combo) != controls::ComboBoxProcedure || index < 0 || index >= SendMessageW(combo, CB_GETCOUNT, 0, 0)) return false;
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  controls::NotifyParent(combo, CBN_SELCHANGE);
  return true;
}

bool ChooseTab(HWND dialog, int id, int index) {
  HWND tabs = EnabledControl(dialog, id);
  if (tabs == nullptr || controls::ProcedureOf(tabs) != controls::TabControlProcedure || index < 0 || index >= SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) return false;
  Notify(dialog, tabs, TCN_SELCHANGING);
  SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  Notify(dialog, tabs, TCN_SELCHANGE);
  return true;
}

bool MoveTrackbar(HWND dialog, int id, int position) {
  HWND trackbar = EnabledControl(dialog, id);
  if (trackbar == nullptr || controls::ProcedureOf(trackbar) != controls::TrackbarProcedure) return false;
  SendMessageW(trackbar, TBM_SETPOS, TRUE, position);
  return true;
}

}  // namespace win32
