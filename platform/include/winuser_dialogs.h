// Dialog boxes and the standard controls they hold (buttons, statics, combo boxes), and the window
// text and enabled state every window has. Part of <winuser.h>.
//
// With a display a dialog is a window of its own that the user works with until its procedure ends
// it. Without one, a dialog that nothing ends (a test drives it through the hook of
// platform/win32/dialog_hook.h) is closed as by its close box once its queue is empty, which a
// dialog procedure sees as WM_COMMAND IDCANCEL.
#pragma once
#include "minwindef.h"

#define WM_ENABLE 0x000A
#define WM_NOTIFY 0x004E
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
// Trackbars report to their dialog: horizontal ones by WM_HSCROLL, vertical ones by WM_VSCROLL.
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115

#define WS_DISABLED 0x08000000L
#define WS_VSCROLL 0x00200000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L

#define IDCANCEL 2

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))

// The header of every WM_NOTIFY.
typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define RT_DIALOG MAKEINTRESOURCEW(5)

// Runs the dialog of the module's RT_DIALOG template (an extended template) modally over `parent`,
// which is disabled meanwhile; the result is what the procedure gave EndDialog, or -1 when the
// template is missing or broken or a control's class is unknown.
INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                               LPARAM initParam);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
int WINAPI GetDlgCtrlID(HWND control);
BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int capacity);
LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text);
// Copies at most capacity - 1 characters and a NUL; the result is the number copied.
int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int capacity);
// The result is whether the window was disabled before.
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI IsWindowEnabled(HWND window);
// The control of a dialog that takes the keyboard; SetFocus gives the one that had it.
HWND WINAPI GetFocus();
HWND WINAPI SetFocus(HWND window);

// Buttons: push buttons, check boxes, radio buttons and group boxes.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
// As a click of the user: an automatic check box toggles, an automatic radio button is checked and
// the others of its group cleared, then the parent gets BN_CLICKED. A disabled button ignores it.
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BN_CLICKED 0

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and clears every other button whose id lies from `first` to `last`.
BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check);

// Statics.
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L

// Combo boxes (every kind behaves as a drop-down list: items in the order added).
#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L

#define CB_ERR (-1)
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CBN_SELCHANGE 1
