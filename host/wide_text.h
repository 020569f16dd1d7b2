// Bounded copies into the fixed wide-character buffers of the host's records: the result is always
// terminated and never longer than the buffer.
#pragma once
#include <cstddef>
#include <windows.h>

// Copies `source` into `buffer` of `capacity` characters, truncating.
void CopyWide(WCHAR* buffer, size_t capacity, const WCHAR* source);
// Appends `source` to the text in `buffer`, truncating.
void AppendWide(WCHAR* buffer, size_t capacity, const WCHAR* source);
// Appends a narrow text (ASCII or UTF-8; every byte above 0x7F becomes '?'), truncating.
void AppendNarrow(WCHAR* buffer, size_t capacity, const char* source);

template <size_t N>
void CopyWide(WCHAR (&buffer)[N], const WCHAR* source) {
  CopyWide(buffer, N, source);
}
template <size_t N>
void AppendWide(WCHAR (&buffer)[N], const WCHAR* source) {
  AppendWide(buffer, N, source);
}
template <size_t N>
void AppendNarrow(WCHAR (&buffer)[N], const char* source) {
  AppendNarrow(buffer, N, source);
}
