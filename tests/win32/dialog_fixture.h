// One dialog with a control of every class, its template built byte by byte, run headless on
// virtual time; a procedure that records what the dialog tells it; and the mouse and keys a user
// would give it, sent to the dialog as its window gets them.
#pragma once
#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "platform/win32/controls.h"
#include "platform/win32/dialog_hook.h"
#include "platform/win32/dialog_picture.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/windowing.h"
#include "tests/support/dialog_user.h"

namespace dialog_test {

using namespace dialog_user;

enum : int { kTabs = 10, kMute = 12, kGroup = 11, kOn = 13, kOff = 14, kLabel = 15, kCombo = 16, kVolume = 17 };

// An extended dialog template as the resource compiler lays it out.
class TemplateBuilder {
 public:
  TemplateBuilder(DWORD style, short cx, short cy, const std::u16string& caption, WORD pointSize) {
    Word(1);
    Word(0xFFFF);
    Dword(0);
    Dword(0);
    Dword(style | DS_SETFONT);
    count_ = bytes_.size();
    Word(0);
    for (short v : {short(0), short(0), cx, cy}) Word(static_cast<WORD>(v));
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(caption);
    Word(pointSize);
    Word(400);
    Word(0);  // italic, character set
    Text(u"MS Shell Dlg");
  }

  // `className` names a class, or is one of the ordinals 0x80 (button), 0x82 (static), 0x85 (combo box).
  TemplateBuilder& Item(int id, WORD ordinal, const std::u16string& className, DWORD style, short x, short y, short cx,
                        short cy, const std::u16string& text = u"") {
    while (bytes_.size() % 4) bytes_.push_back(0);
    Dword(0);
    Dword(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Dword(static_cast<DWORD>(id));
    if (ordinal != 0) {
      Word(0xFFFF);
      Word(ordinal);
    } else {
      Text(className);
    }
    Text(text);
    Word(0);
    ++items_;
    bytes_[count_] = static_cast<BYTE>(items_);
    return *this;
  }

  const std::vector<BYTE>& bytes() const { return bytes_; }

 private:
  void Word(WORD v) {
    bytes_.push_back(static_cast<BYTE>(v));
    bytes_.push_back(static_cast<BYTE>(v >> 8));
  }
  void Dword(DWORD v) {
    Word(static_cast<WORD>(v));
    Word(static_cast<WORD>(v >> 16));
  }
  void Text(const std::u16string& text) {
    for (char16_t c : text) Word(c);
    Word(0);
  }
  std::vector<BYTE> bytes_;
  size_t count_ = 0;
  int items_ = 0;
};

inline std::vector<BYTE> EveryControl() {
  TemplateBuilder dialog(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 230, 130, u"Every control", 8);
  dialog.Item(kTabs, 0, u"SysTabControl32", WS_TABSTOP, 4, 4, 150, 40)
      .Item(kMute, 0x80, u"", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 50, 80, 10, u"&Mute")
      .Item(kGroup, 0x80, u"", BS_GROUPBOX, 8, 62, 100, 40, u"Usage")
      .Item(kOn, 0x80, u"", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 12, 72, 60, 10, u"&On")
      .Item(kOff, 0x80, u"", BS_AUTORADIOBUTTON, 12, 84, 60, 10, u"O&ff")
      .Item(kLabel, 0x82, u"", SS_LEFT | WS_GROUP, 112, 50, 60, 8, u"Label")
      .Item(kCombo, 0x85, u"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 112, 62, 80, 60)
      .Item(kVolume, 0, u"msctls_trackbar32", TBS_VERT | TBS_BOTH | TBS_AUTOTICKS | WS_TABSTOP, 200, 4, 20, 100)
      .Item(IDOK, 0x80, u"", BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 110, 50, 14, u"OK")
      .Item(IDCANCEL, 0x80, u"", BS_PUSHBUTTON | WS_TABSTOP, 144, 110, 50, 14, u"Cancel");
  return dialog.bytes();
}

// What the dialog told its procedure: the message and the code (the high word of WM_COMMAND's
// wParam with its id in `id`, the NMHDR code of WM_NOTIFY, the low word of WM_xSCROLL).
struct Told {
  UINT message;
  int id;
  UINT code;
  bool operator==(const Told&) const = default;
};

inline std::vector<Told>* g_told = nullptr;

// Fills the controls as a settings dialog would: two tabs, three combo items with the first
// selected, "On" checked.
inline INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      for (const char16_t* title : {u"One", u"Two"}) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<LPWSTR>(title);
        SendDlgItemMessageW(dialog, kTabs, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&item));
      }
      for (const char16_t* text : {u"Stretch", u"Fit", u"Fill"})
        SendDlgItemMessageW(dialog, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendDlgItemMessageW(dialog, kCombo, CB_SETCURSEL, 0, 0);
      CheckRadioButton(dialog, kOn, kOff, kOn);
      return TRUE;
    }
    case WM_COMMAND:
      if (g_told) g_told->push_back({message, LOWORD(wParam), HIWORD(wParam)});
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (g_told) g_told->push_back({message, static_cast<int>(header->idFrom), header->code});
      return FALSE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (g_told) g_told->push_back({message, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam)});
      return TRUE;
    default:
      return FALSE;
  }
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    win32::ResetWindowing();
    machine::clock::UseVirtual();
    machine::Install(machine::DefaultMachine());
    bytes_ = EveryControl();
    table_ = {{win32::ResourceName(WORD{5}), win32::ResourceName(WORD{300}), bytes_}};
    previous_ = win32::SetModuleResources(nullptr, table_);
    g_told = &told;
  }
  void TearDown() override {
    g_told = nullptr;
    win32::SetDialogHook(nullptr);
    win32::SetModuleResources(nullptr, previous_);
    win32::ResetWindowing();
    machine::clock::UseReal();
  }

  // Runs the dialog with `act` as its user; the dialog's result.
  INT_PTR Run(std::function<void(HWND)> act) {
    win32::SetDialogHook([act](HWND dialog, WORD) { act(dialog); });
    return DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), nullptr, RecordingProcedure, 0);
  }

  std::vector<Told> told;

 private:
  std::vector<BYTE> bytes_;
  std::vector<win32::Resource> table_;
  win32::ResourceTable previous_;
};

}  // namespace dialog_test
