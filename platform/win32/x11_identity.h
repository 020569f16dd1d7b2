// What a desktop shows of the stand-in's top-level X11 windows: whose they are (WM_CLASS, the
// process and its host), their title in UTF-8 and the program's icon.
#pragma once
#include <string>

struct _XDisplay;

namespace win32::x11 {

// Marks a new top-level window as the program's, titled `title` (UTF-8).
void IdentifyWindow(_XDisplay* display, unsigned long window, const std::string& title);

// Gives the window a new title (UTF-8).
void NameWindow(_XDisplay* display, unsigned long window, const std::string& title);

}  // namespace win32::x11
