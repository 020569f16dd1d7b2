// Windows, messages, timers, painting, the cursor, monitors and display devices, message boxes,
// system parameters and wide formatting.
#pragma once
#include "minwindef.h"

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

// Window styles. Caption, border and frames decide the non-client area (AdjustWindowRect).
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L

#define WS_EX_TOPMOST 0x00000008L

// Messages.
#define SIZE_RESTORED 0
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_MBUTTONDOWN 0x0207
#define WM_POWERBROADCAST 0x0218
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_SYSCOMMAND commands.
#define SC_NEXTWINDOW 0xF040
#define SC_PREVWINDOW 0xF050
#define SC_CLOSE 0xF060
#define SC_SCREENSAVE 0xF140

// WM_POWERBROADCAST events.
#define PBT_APMSUSPEND 0x0004

// WM_SETCURSOR hit test.
#define HTCLIENT 1

// Mouse-message key states.
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_MBUTTON 0x0010

// Virtual keys (letters and digits are their upper-case ASCII codes).
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_DELETE 0x2E

// PeekMessageW.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// SetWindowPos.
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define SWP_NOACTIVATE 0x0010

typedef struct tagWNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
} WNDCLASSW;

typedef struct tagCREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTW;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

// Window classes and windows. A class name is compared without regard to case.
ATOM WINAPI RegisterClassW(const WNDCLASSW* windowClass);
// A child (WS_CHILD) needs a parent the stand-in knows: a window it made or, with a display, an X11
// window id given as the handle. Otherwise creation fails and the result is NULL.
HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Destroys the windows the window owns, then sends WM_DESTROY to the window and after it to each of
// its children (which still exist while the window handles its WM_DESTROY).
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI IsWindow(HWND window);
LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
// The exact inverse of the client area a window of that style gets.
BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
// Fills the rectangle's four edges; FALSE only without a rectangle.
BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL WINAPI ScreenToClient(HWND window, LPPOINT point);

// The message queue of the calling thread.
BOOL WINAPI GetMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
BOOL WINAPI PeekMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageW(const MSG* message);
void WINAPI PostQuitMessage(int exitCode);

// Timers run on the machine's clock: WM_TIMER arrives once the interval has passed and the queue
// holds nothing else.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);

// Painting. The device context of BeginPaint draws into the window's surface, clipped to the area
// that was invalid; EndPaint presents the surface.
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL WINAPI UpdateWindow(HWND window);
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);

// A NULL cursor hides the pointer over the stand-in's windows.
HCURSOR WINAPI SetCursor(HCURSOR cursor);

// Monitors and display devices, all from the machine description (platform/machine/machine.h).
#define MONITOR_DEFAULTTONULL 0x00000000
#define MONITOR_DEFAULTTOPRIMARY 0x00000001
#define MONITOR_DEFAULTTONEAREST 0x00000002
#define MONITORINFOF_PRIMARY 0x00000001
#define CCHDEVICENAME 32
#define CCHFORMNAME 32

typedef struct tagMONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
} MONITORINFO, *LPMONITORINFO;

typedef struct tagMONITORINFOEXW {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
  WCHAR szDevice[CCHDEVICENAME];
} MONITORINFOEXW;

HMONITOR WINAPI MonitorFromRect(LPCRECT rect, DWORD flags);
HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags);
// cbSize must be that of MONITORINFO or MONITORINFOEXW.
BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info);

#define DISPLAY_DEVICE_ATTACHED_TO_DESKTOP 0x00000001
#define DISPLAY_DEVICE_PRIMARY_DEVICE 0x00000004
#define DISPLAY_DEVICE_MIRRORING_DRIVER 0x00000008
#define DISPLAY_DEVICE_ACTIVE 0x00000001

typedef struct _DISPLAY_DEVICEW {
  DWORD cb;
  WCHAR DeviceName[32];
  WCHAR DeviceString[128];
  DWORD StateFlags;
  WCHAR DeviceID[128];
  WCHAR DeviceKey[128];
} DISPLAY_DEVICEW, *PDISPLAY_DEVICEW;

#define ENUM_CURRENT_SETTINGS ((DWORD)-1)
#define DM_POSITION 0x00000020L
#define DM_BITSPERPEL 0x00040000L
#define DM_PELSWIDTH 0x00080000L
#define DM_PELSHEIGHT 0x00100000L
#define DM_DISPLAYFREQUENCY 0x00400000L

typedef struct _devicemodeW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {
      short dmOrientation;
      short dmPaperSize;
      short dmPaperLength;
      short dmPaperWidth;
      short dmScale;
      short dmCopies;
      short dmDefaultSource;
      short dmPrintQuality;
    };
    struct {
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    };
  };
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  WCHAR dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  union {
    DWORD dmDisplayFlags;
    DWORD dmNup;
  };
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
} DEVMODEW, *LPDEVMODEW;

// deviceName NULL enumerates the display devices; a device's name enumerates its monitors.
BOOL WINAPI EnumDisplayDevicesW(LPCWSTR deviceName, DWORD index, PDISPLAY_DEVICEW device, DWORD flags);
// Only ENUM_CURRENT_SETTINGS, of a device attached to the desktop.
BOOL WINAPI EnumDisplaySettingsW(LPCWSTR deviceName, DWORD modeNumber, DEVMODEW* mode);

// Message boxes: with a display, a modal window with the text and the buttons of the type, that
// gives the button pressed (Enter presses the default button, Esc Cancel, or OK where the box has
// only OK). Every box is also written to standard error; without a display, or in a program started
// inside a screen-saver manager's window, it is answered with IDOK, unless a test hook answers
// (platform/win32/message_box.h).
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONERROR 0x00000010L
#define MB_ICONINFORMATION 0x00000040L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L
#define IDOK 1
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// System parameters: only whether a screen saver runs (platform/win32/system_parameters.h).
#define SPI_SETSCREENSAVERRUNNING 0x0061

BOOL WINAPI SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT winIni);

// Wide formatting with Windows semantics: %s is a wide string, %c a wide character; %d %i %u %x %X
// with flags '-' and '0', a width and a precision; 'l' and 'h' are accepted (LONG is 32 bits).
// Beyond the documented set, %f with a precision is also formatted. The output never exceeds
// 1024 characters including the NUL; the result is the number of characters written without it.
int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...);

#include "winuser_dialogs.h"
