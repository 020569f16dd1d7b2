// The window another program gives to be drawn in (a screen-saver manager's, or the one a preview
// lives in), made on the test's own connection to its X server, and what that program sees in it.
#pragma once
#include <X11/Xlib.h>

// A plain top-level window, mapped and known to the server when this returns.
Window MakeGivenWindow(Display* viewer, int x, int y, unsigned width, unsigned height);

// The window's pixel as the server shows it (0x00RRGGBB); 0xDEAD when it cannot be read.
unsigned long ShownPixel(Display* viewer, Window window, int x, int y);
