// Shell helpers: bounded wide formatting.
#pragma once
#include "minwindef.h"

// As wsprintfW, bounded by the buffer: at most capacity - 1 characters and the NUL are written, a
// longer output is truncated. The result is the number of characters written without the NUL, or
// -1 when capacity is not positive.
int WINAPIV wnsprintfW(LPWSTR buffer, int capacity, LPCWSTR format, ...);

// TRUE when a file or folder exists at `path` (a Linux path here, as GetTempPathW gives).
BOOL WINAPI PathFileExistsW(LPCWSTR path);
// TRUE when `path` names a folder.
BOOL WINAPI PathIsDirectoryW(LPCWSTR path);
