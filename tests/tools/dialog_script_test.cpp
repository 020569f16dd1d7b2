// Dialog templates from the resource compiler, run by the stand-in's DialogBoxParamW: the controls a
// script describes exist with their ids, texts, styles and state, answer their messages, and the
// modal loop ends as the procedure decides.
#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "platform/win32/dialog_hook.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/windowing.h"
#include "tools/rc/script.h"

namespace {

// What the dialog procedure saw, and what it does with WM_COMMAND.
struct Procedure {
  std::vector<std::pair<UINT, WPARAM>> messages;  // WM_INITDIALOG, WM_COMMAND and WM_NOTIFY
  std::vector<UINT> notifications;                // NMHDR codes
  bool endOnCommand = true;                       // IDOK and IDCANCEL end the dialog with their id
  std::function<void(HWND)> onInit;
};

Procedure* g_procedure = nullptr;

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Procedure& p = *g_procedure;
  switch (message) {
    case WM_INITDIALOG:
      p.messages.emplace_back(message, 0);
      if (p.onInit) p.onInit(dialog);
      return TRUE;
    case WM_NOTIFY:
      p.messages.emplace_back(message, wParam);
      p.notifications.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
      return TRUE;
    case WM_COMMAND:
      p.messages.emplace_back(message, wParam);
      if (p.endOnCommand && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

const char kScript[] =
    "300 DIALOGEX 0, 0, 200, 120\n"
    "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
    "CAPTION \"Options\"\n"
    "FONT 8, \"MS Shell Dlg\"\n"
    "BEGIN\n"
    "  CONTROL \"\", 10, \"SysTabControl32\", WS_TABSTOP, 4, 4, 190, 80\n"
    "  LTEXT \"Item %d\", 11, 0, 0, 0, 0, NOT WS_VISIBLE\n"
    "  AUTOCHECKBOX \"&Mute\", 12, 8, 20, 80, 10\n"
    "  GROUPBOX \"Usage\", IDC_STATIC, 8, 32, 100, 40\n"
    "  AUTORADIOBUTTON \"&On\", 13, 12, 42, 60, 10, WS_GROUP | WS_TABSTOP\n"
    "  AUTORADIOBUTTON \"O&ff\", 14, 12, 54, 60, 10\n"
    "  AUTORADIOBUTTON \"Other group\", 15, 12, 66, 60, 10, WS_GROUP\n"
    "  COMBOBOX 16, 110, 20, 80, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP\n"
    "  CONTROL \"\", 17, \"msctls_trackbar32\", TBS_VERT | TBS_BOTH, 160, 40, 20, 60\n"
    "  DEFPUSHBUTTON \"OK\", IDOK, 90, 100, 50, 14\n"
    "  PUSHBUTTON \"Cancel\", IDCANCEL, 144, 100, 50, 14\n"
    "END\n";

class DialogScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    win32::ResetWindowing();
    machine::clock::UseVirtual();
    machine::Install(machine::DefaultMachine());
    g_procedure = &procedure_;
  }
  void TearDown() override {
    win32::SetDialogHook(nullptr);
    g_procedure = nullptr;
    if (installed_) win32::SetModuleResources(nullptr, previous_);
    win32::ResetWindowing();
    machine::clock::UseReal();
  }

  void Install(const std::string& script) {
    compiled_ = rc::CompileScript(script, ".");
    table_.clear();
    for (const auto& r : compiled_.resources) {
      auto key = [](const rc::Key& k) {
        return k.id ? win32::ResourceName(WORD{k.id}) : win32::ResourceName(std::u16string_view(k.text));
      };
      table_.push_back({key(r.type), key(r.name), r.data});
    }
    auto previous = win32::SetModuleResources(nullptr, table_);
    if (!installed_) previous_ = previous;
    installed_ = true;
  }

  // Runs dialog 300 with the hook acting on it; the dialog's result.
  INT_PTR Run(std::function<void(HWND)> act, HWND parent = nullptr) {
    win32::SetDialogHook([act](HWND dialog, WORD) {
      if (act) act(dialog);
    });
    return DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), parent, RecordingProcedure, 0);
  }

  static std::u16string Text(HWND dialog, int id) {
    WCHAR buffer[128];
    GetDlgItemTextW(dialog, id, buffer, 128);
    return buffer;
  }

  Procedure procedure_;
  rc::Compilation compiled_;
  std::vector<win32::Resource> table_;
  win32::ResourceTable previous_;
  bool installed_ = false;
};

TEST_F(DialogScriptTest, TheTemplateHoldsTheScriptsControlsWithTheirDefaultStyles) {
  const auto compiled = rc::CompileScript(kScript, ".");
  ASSERT_EQ(compiled.resources.size(), 1u);
  EXPECT_EQ(compiled.resources[0].type.id, 5);  // RT_DIALOG
  const auto parsed = win32::ParseDialogTemplate(compiled.resources[0].data);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->caption, u"Options");
  EXPECT_EQ(parsed->style, DWORD(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
  EXPECT_EQ(parsed->cx, 200);
  EXPECT_EQ(parsed->cy, 120);
  struct Expected {
    DWORD id;
    const char16_t* className;
    const char16_t* text;
    DWORD style;
  };
  const DWORD child = WS_CHILD | WS_VISIBLE;
  const Expected expected[] = {
      {10, u"SysTabControl32", u"", child | WS_TABSTOP},
      {11, u"Static", u"Item %d", WS_CHILD | SS_LEFT | WS_GROUP},
      {12, u"Button", u"&Mute", child | BS_AUTOCHECKBOX | WS_TABSTOP},
      {0xFFFFFFFF, u"Button", u"Usage", child | BS_GROUPBOX},
      {13, u"Button", u"&On", child | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
      {14, u"Button", u"O&ff", child | BS_AUTORADIOBUTTON},
      {15, u"Button", u"Other group", child | BS_AUTORADIOBUTTON | WS_GROUP},
      {16, u"ComboBox", u"", child | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
      {17, u"msctls_trackbar32", u"", child | TBS_VERT | TBS_BOTH},
      {IDOK, u"Button", u"OK", child | BS_DEFPUSHBUTTON | WS_TABSTOP},
      {IDCANCEL, u"Button", u"Cancel", child | BS_PUSHBUTTON | WS_TABSTOP},
  };
  ASSERT_EQ(parsed->items.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(parsed->items[i].id, expected[i].id);
    EXPECT_EQ(parsed->items[i].className, expected[i].className);
    EXPECT_EQ(parsed->items[i].text, expected[i].text);
    EXPECT_EQ(parsed->items[i].style, expected[i].style);
  }
}

TEST_F(DialogScriptTest, FaultsInADialogStopTheCompilerAtTheirLine) {
  struct Case {
    const char* script;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"1 DIALOGEX 0, 0, 10\nBEGIN END\n", 2, "expected a comma"},
      {"1 DIALOGEX 0, 0, 10, 40000\nBEGIN END\n", 1, "out of range"},
      {"1 DIALOGEX 0, 0, 10, 10\nSTYLE WS_POPUP | WS_FANCY\nBEGIN END\n", 2, "unknown name WS_FANCY"},
      {"1 DIALOGEX 0, 0, 10, 10\nMENU 5\nBEGIN END\n", 2, "unknown dialog statement"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  SLIDER \"a\", 1, 0, 0, 1, 1\nEND\n", 3, "unknown control statement"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT 5, 0, 0, 1, 1\nEND\n", 3, "text in quotes"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 1, 1\n", 4, "without its END"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN END\n1 DIALOGEX 0, 0, 10, 10\nBEGIN END\n", 3, "defined twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    try {
      rc::CompileScript(c.script, ".");
      ADD_FAILURE() << "compiled";
    } catch (const rc::CompileError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST_F(DialogScriptTest, TheHookRunsAfterInitAndTheResultIsWhatEndDialogGot) {
  Install(kScript);
  HWND seen = nullptr;
  procedure_.onInit = [&](HWND dialog) { EXPECT_EQ(Text(dialog, 11), u"Item %d"); };
  const INT_PTR result = Run([&](HWND dialog) {
    seen = dialog;
    ASSERT_EQ(procedure_.messages.size(), 1u);  // WM_INITDIALOG came first
    WCHAR caption[32];
    GetWindowTextW(dialog, caption, 32);
    EXPECT_EQ(std::u16string(caption), u"Options");
    EXPECT_NE(GetDlgItem(dialog, 16), nullptr);
    EXPECT_EQ(GetDlgItem(dialog, 99), nullptr);
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dialog, 17)), 17);
    EXPECT_TRUE(win32::ClickControl(dialog, IDOK));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(IsWindow(seen));  // destroyed once it ended
  ASSERT_EQ(procedure_.messages.size(), 2u);
  EXPECT_EQ(procedure_.messages[1], std::make_pair(UINT{WM_COMMAND}, MAKEWPARAM(IDOK, BN_CLICKED)));
}

TEST_F(DialogScriptTest, ButtonsActAsClickedOnceEnabled) {
  Install(kScript);
  Run([&](HWND dialog) {
    // An automatic check box toggles; a disabled one ignores the click and tells no one.
    EXPECT_EQ(IsDlgButtonChecked(dialog, 12), UINT{BST_UNCHECKED});
    win32::ClickControl(dialog, 12);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 12), UINT{BST_CHECKED});
    win32::ClickControl(dialog, 12);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 12), UINT{BST_UNCHECKED});
    EnableWindow(GetDlgItem(dialog, 12), FALSE);
    EXPECT_FALSE(win32::ClickControl(dialog, 12));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 12), UINT{BST_UNCHECKED});

    // A radio button clears the others of its group only; a group ends where WS_GROUP starts one.
    CheckDlgButton(dialog, 15, BST_CHECKED);
    win32::ClickControl(dialog, 13);
    win32::ClickControl(dialog, 14);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 13), UINT{BST_UNCHECKED});
    EXPECT_EQ(IsDlgButtonChecked(dialog, 14), UINT{BST_CHECKED});
    EXPECT_EQ(IsDlgButtonChecked(dialog, 15), UINT{BST_CHECKED});
    CheckRadioButton(dialog, 13, 14, 13);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 13), UINT{BST_CHECKED});
    EXPECT_EQ(IsDlgButtonChecked(dialog, 14), UINT{BST_UNCHECKED});
    // A push button and a static keep no check.
    CheckDlgButton(dialog, IDOK, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDOK), UINT{BST_UNCHECKED});
    win32::ClickControl(dialog, IDCANCEL);
  });
  // Clicks of 12 (twice), 13 and 14 reached the procedure; the disabled click did not.
  std::vector<WPARAM> commands;
  for (const auto& [message, wParam] : procedure_.messages)
    if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
  EXPECT_EQ(commands, (std::vector<WPARAM>{12, 12, 13, 14, IDCANCEL}));
}

TEST_F(DialogScriptTest, AComboBoxKeepsItemsDataAndSelection) {
  Install(kScript);
  Run([&](HWND dialog) {
    auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
      return SendDlgItemMessageW(dialog, 16, message, wParam, lParam);
    };
    EXPECT_EQ(send(CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Stretch")), 0);
    EXPECT_EQ(send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Fit")), 1);
    EXPECT_EQ(send(CB_SETITEMDATA, 1, -1), 0);
    EXPECT_EQ(send(CB_GETITEMDATA, 1, 0), -1);
    EXPECT_EQ(send(CB_GETITEMDATA, 2, 0), CB_ERR);
    EXPECT_EQ(send(CB_SETITEMDATA, 5, 7), CB_ERR);
    EXPECT_EQ(send(CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(send(CB_GETCURSEL, 0, 0), 1);
    // An index beyond the list, -1 among them, leaves nothing selected.
    EXPECT_EQ(send(CB_SETCURSEL, 2, 0), CB_ERR);
    EXPECT_EQ(send(CB_GETCURSEL, 0, 0), CB_ERR);
    WCHAR text[16];
    EXPECT_EQ(send(CB_GETLBTEXTLEN, 0, 0), 7);
    EXPECT_EQ(send(CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)), 7);
    EXPECT_EQ(std::u16string(text), u"Stretch");
    EXPECT_EQ(send(CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(text)), CB_ERR);

    // The user's choice is announced; a choice beyond the list is not made.
    EXPECT_TRUE(win32::ChooseComboItem(dialog, 16, 0));
    EXPECT_FALSE(win32::ChooseComboItem(dialog, 16, 2));
    EXPECT_EQ(send(CB_GETCURSEL, 0, 0), 0);
    send(CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(send(CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(send(CB_GETCURSEL, 0, 0), CB_ERR);
    win32::ClickControl(dialog, IDOK);
  });
  EXPECT_EQ(procedure_.messages[1], std::make_pair(UINT{WM_COMMAND}, MAKEWPARAM(16, CBN_SELCHANGE)));
}

TEST_F(DialogScriptTest, ATabControlSelectsItsFirstTabAndAnnouncesAClickedOne) {
  Install(kScript);
  Run([&](HWND dialog) {
    auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
      return SendDlgItemMessageW(dialog, 10, message, wParam, lParam);
    };
    EXPECT_EQ(send(TCM_GETCURSEL, 0, 0), -1);
    for (const char16_t* title : {u"Item 1", u"Item 2", u"Item 3"}) {
      TCITEMW item = {};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<WCHAR*>(title);
      send(TCM_INSERTITEMW, 99, reinterpret_cast<LPARAM>(&item));  // beyond the end: appended
    }
    EXPECT_EQ(send(TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(send(TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(send(TCM_GETCURFOCUS, 0, 0), 0);
    EXPECT_TRUE(win32::ChooseTab(dialog, 10, 2));
    EXPECT_FALSE(win32::ChooseTab(dialog, 10, 3));
    EXPECT_EQ(send(TCM_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(send(TCM_GETCURFOCUS, 0, 0), 2);
    WCHAR title[4];  // shorter than the title: cut and terminated
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = title;
    item.cchTextMax = 4;
    EXPECT_EQ(send(TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item)), TRUE);
    EXPECT_EQ(std::u16string(title), u"Ite");
    // A message to a control the dialog lacks answers 0.
    EXPECT_EQ(SendDlgItemMessageW(dialog, 2000, TCM_GETCURSEL, 0, 0), 0);
    win32::ClickControl(dialog, IDOK);
  });
  EXPECT_EQ(procedure_.notifications, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
}

TEST_F(DialogScriptTest, ATrackbarKeepsItsPositionInsideItsRange) {
  Install(kScript);
  Run([&](HWND dialog) {
    auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
      return SendDlgItemMessageW(dialog, 17, message, wParam, lParam);
    };
    EXPECT_EQ(send(TBM_GETRANGEMAX, 0, 0), 100);
    send(TBM_SETRANGE, FALSE, MAKELPARAM(10, 50));
    const struct {
      LPARAM asked;
      LRESULT kept;
    } cases[] = {{30, 30}, {-5, 10}, {9, 10}, {51, 50}, {1000000, 50}};
    for (const auto& c : cases) {
      send(TBM_SETPOS, TRUE, c.asked);
      EXPECT_EQ(send(TBM_GETPOS, 0, 0), c.kept) << c.asked;
    }
    // A narrower range pulls the position in.
    send(TBM_SETRANGE, FALSE, MAKELPARAM(0, 20));
    EXPECT_EQ(send(TBM_GETPOS, 0, 0), 20);
    EXPECT_TRUE(win32::MoveTrackbar(dialog, 17, 7));
    EXPECT_EQ(send(TBM_GETPOS, 0, 0), 7);
    EXPECT_FALSE(win32::MoveTrackbar(dialog, 16, 7));  // not a trackbar
    win32::ClickControl(dialog, IDOK);
  });
}

TEST_F(DialogScriptTest, ADialogNoOneEndsIsClosedAsByItsCloseBox) {
  Install(kScript);
  // No hook: the close box sends Cancel, which this procedure ends the dialog with.
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), nullptr, RecordingProcedure, 0), IDCANCEL);
  // A procedure that will not end the dialog gives it up rather than hang.
  procedure_.endOnCommand = false;
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), nullptr, RecordingProcedure, 0), -1);
}

TEST_F(DialogScriptTest, TheOwnerIsDisabledWhileItsDialogRunsAndNestedDialogsRunInside) {
  Install(kScript);
  WNDCLASSW plain = {};
  plain.lpfnWndProc = DefWindowProcW;
  plain.lpszClassName = u"Owner";
  RegisterClassW(&plain);
  HWND owner = CreateWindowExW(0, u"Owner", u"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  std::vector<WORD> opened;
  INT_PTR inner = 0;
  win32::SetDialogHook([&](HWND dialog, WORD id) {
    opened.push_back(id);
    if (opened.size() == 1) {
      EXPECT_FALSE(IsWindowEnabled(owner));
      inner = DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), dialog, RecordingProcedure, 0);
      EXPECT_TRUE(IsWindowEnabled(dialog));  // enabled again once the inner dialog ended
      win32::ClickControl(dialog, IDOK);
    } else {
      win32::ClickControl(dialog, IDCANCEL);
    }
  });
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), owner, RecordingProcedure, 0), IDOK);
  EXPECT_EQ(inner, IDCANCEL);
  EXPECT_EQ(opened, (std::vector<WORD>{300, 300}));
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogScriptTest, AMissingOrBrokenTemplateOrAnUnknownClassFailsTheDialog) {
  Install(std::string(kScript) +
          "301 DIALOGEX 0, 0, 10, 10\nBEGIN\n  CONTROL \"\", 1, \"NoSuchClass\", 0, 0, 0, 1, 1\nEND\n");
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(999), nullptr, RecordingProcedure, 0), -1);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(301), nullptr, RecordingProcedure, 0), -1);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), nullptr, nullptr, 0), -1);
  EXPECT_TRUE(procedure_.messages.empty());  // no dialog ever got WM_INITDIALOG

  // Every cut of a good template is refused, never read past its end.
  const std::vector<uint8_t>& whole = compiled_.resources[0].data;
  for (size_t length = 0; length < whole.size(); ++length) {
    const std::vector<BYTE> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(win32::ParseDialogTemplate(cut)) << length;
  }
  EXPECT_TRUE(win32::ParseDialogTemplate(std::vector<BYTE>(whole.begin(), whole.end())));
}

}  // namespace
