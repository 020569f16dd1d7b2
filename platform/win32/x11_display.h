// The X11 side of the stand-in's windows. The connection opens on first use when $DISPLAY is set;
// without it (or when the server cannot be reached) every call here does nothing and the windows
// are headless. X11 windows cover client areas only: the window manager draws any frame.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <windows.h>

#include "platform/win32/surface.h"

namespace win32::x11 {

bool Available();
void Close();

// Creates a window over `client` (screen coordinates, or coordinates inside `parent` when it is not
// 0). A popup bypasses the window manager, so that a full-screen window covers its monitor exactly.
unsigned long CreateNativeWindow(unsigned long parent, const RECT& client, bool popup, bool visible,
                                 const std::u16string& title);
void DestroyNativeWindow(unsigned long window);
void MoveNativeWindow(unsigned long window, const RECT& client);
void ShowSurface(unsigned long window, const Surface& surface);
void HideCursor(unsigned long window, bool hidden);
void SetNativeTitle(unsigned long window, const std::u16string& title);
// Asks the window manager to keep `window` (a dialog) above `owner` and to treat it as its child.
void SetNativeOwner(unsigned long window, unsigned long owner);

// Whether `id` names an existing X11 window; gives its area in screen coordinates.
bool ForeignWindow(unsigned long id, RECT& screen);

// Asks the server to report when another program's window changes size, is uncovered or goes away
// (only those: its input belongs to that program).
void WatchForeignWindow(unsigned long id);

// Where the desktop's origin lies in X11 screen coordinates. The stand-in's screen coordinates are
// those of Windows, whose primary monitor starts at 0,0; X11 may put it anywhere on the screen.
void SetDesktopOrigin(int x, int y);

// The pixels per inch of the default screen, when connected: the desktop's Xft.dpi setting, else
// what the screen's size in millimetres gives. Values no screen has are not taken.
std::optional<double> ScreenDpi();

// What the X11 events pending on the connection mean for the stand-in's windows: `message` with
// its parameters for the native window `window`; WM_PAINT when the window was uncovered and must
// be painted again; WM_DESTROY when the server destroyed that window (its foreign parent went away);
// WM_SIZE with the new client size in lParam when that window's geometry changed.
using EventSink = std::function<void(unsigned long window, UINT message, WPARAM wParam, LPARAM lParam)>;
void PumpEvents(const EventSink& sink);

// Waits at most `milliseconds` for X11 events to arrive.
void WaitForEvents(int milliseconds);

}  // namespace win32::x11
