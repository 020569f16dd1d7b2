// Modules, their exported functions and their resources. The executable's own module carries the
// resource table compiled from its resource script; other modules exist only where registered.
#pragma once
#include "minwindef.h"

typedef INT_PTR(WINAPI* FARPROC)();

#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

#define IDC_ARROW MAKEINTRESOURCEW(32512)

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName);
HMODULE WINAPI LoadLibraryW(LPCWSTR fileName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
BOOL WINAPI FreeLibrary(HMODULE module);

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL resourceData);

// With a capacity of 0 the buffer receives a read-only pointer to the string inside the resource,
// which is not NUL-terminated; the result is its length either way.
int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int capacity);
HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name);
