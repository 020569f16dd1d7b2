// Kernel services: threads, the clock, the command line, temporary files, processes and text
// conversion.
#pragma once
#include "minwindef.h"

#define INFINITE 0xFFFFFFFF

// Threads.
#define THREAD_PRIORITY_IDLE (-15)

HANDLE WINAPI GetCurrentThread();
// Only the calling thread going to idle is accepted (see platform/win32/thread_priority.h).
BOOL WINAPI SetThreadPriority(HANDLE thread, int priority);

// The clock (see platform/machine/clock.h: real, or virtual in tests).
void WINAPI Sleep(DWORD milliseconds);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

void WINAPI GetLocalTime(LPSYSTEMTIME time);

// The command line the process was started with, in Windows form: program name first, arguments
// that contain blanks in double quotes.
LPWSTR WINAPI GetCommandLineW();

// The folder for temporary files with a trailing '/': $TMPDIR, or /tmp/. It is a Linux path, since
// the files are opened through Linux. The result is the length without the NUL; when the buffer is
// too small, nothing is written and the result is the size needed including the NUL.
DWORD WINAPI GetTempPathW(DWORD bufferLength, LPWSTR buffer);

// Processes.
typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
} STARTUPINFOW, *LPSTARTUPINFOW;

typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Starts the program the command line names (split by the Windows rules, without a shell) when that
// file exists and is executable; fails otherwise. Every call is recorded (platform/win32/process.h).
BOOL WINAPI CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                           LPPROCESS_INFORMATION processInformation);

// Global memory blocks. Every block is movable: the handle is not the address, GlobalLock gives
// that; GlobalFree of a locked block still frees it. A handle GlobalAlloc did not give is refused.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID WINAPI GlobalLock(HGLOBAL block);
BOOL WINAPI GlobalUnlock(HGLOBAL block);
SIZE_T WINAPI GlobalSize(HGLOBAL block);
// Null on success, as on Windows; the handle itself when it is not a block.
HGLOBAL WINAPI GlobalFree(HGLOBAL block);

// The process and thread handles CreateProcessW gives need no closing here (a started process is
// waited for by the stand-in); closing one is accepted. FALSE for a null handle.
BOOL WINAPI CloseHandle(HANDLE handle);

// Text conversion. The ANSI code page is UTF-8 here; invalid bytes become U+FFFD.
#define CP_ACP 0
#define CP_UTF8 65001

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                               int wideLength);
