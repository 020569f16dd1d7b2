#include <windows.h>

BOOL WINAPI CloseHandle(HANDLE handle) { return handle != nullptr; }
