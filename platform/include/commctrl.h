// Common controls: the tab control and the trackbar.
#pragma once
#include "minwindef.h"
#include "winuser.h"

// Registers the common control classes; dialogs register them themselves too, so this only has to
// be callable.
void WINAPI InitCommonControls();

#define WC_TABCONTROLW u"SysTabControl32"
#define TRACKBAR_CLASSW u"msctls_trackbar32"

// Tab control. The selected tab is also the focused one.
#define TCIF_TEXT 0x0001

typedef struct tagTCITEMW {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} TCITEMW, *LPTCITEMW;

#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_GETCURFOCUS (TCM_FIRST + 47)
#define TCM_SETCURFOCUS (TCM_FIRST + 48)
#define TCM_GETITEMW (TCM_FIRST + 60)
#define TCM_INSERTITEMW (TCM_FIRST + 62)

#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

// Trackbar. The range starts as 0 to 100 and the position at 0; positions are kept inside the range.
#define TBS_HORZ 0x0000
#define TBS_AUTOTICKS 0x0001
#define TBS_VERT 0x0002
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010

#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETTICFREQ (WM_USER + 20)

// What moved a trackbar, in the low word of WM_HSCROLL / WM_VSCROLL (the high word holds the
// position for TB_THUMBPOSITION and TB_THUMBTRACK).
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8
