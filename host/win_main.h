// The process entry point of the screensaver.
#pragma once
#include <windows.h>

extern HINSTANCE g_Instance;

// Builds the application, starts it from GetCommandLineW and runs it; returns the exit code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLineTail, int showCommand);
