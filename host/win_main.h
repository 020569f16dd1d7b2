// The process entry point of the screensaver.
#pragma once
#include <windows.h>

extern HINSTANCE g_Instance;

// Builds the application, starts it from GetCommandLineW and runs it; returns the exit code: 0 when
// the run ended as asked, 1 when it could not start or ended in the error mode.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLineTail, int showCommand);
