#include "host/wide_text.h"

namespace {

size_t Length(const WCHAR* text, size_t capacity) {
  size_t n = 0;
  while (n < capacity && text[n]) ++n;
  return n;
}

}  // namespace

void CopyWide(WCHAR* buffer, size_t capacity, const WCHAR* source) {
  if (capacity == 0) return;
  buffer[0] = 0;
  AppendWide(buffer, capacity, source);
}

void AppendWide(WCHAR* buffer, size_t capacity, const WCHAR* source) {
  if (capacity == 0) return;
  size_t n = Length(buffer, capacity - 1);
  for (size_t i = 0; source && source[i] && n + 1 < capacity; ++i) buffer[n++] = source[i];
  buffer[n] = 0;
}

void AppendNarrow(WCHAR* buffer, size_t capacity, const char* source) {
  if (capacity == 0) return;
  size_t n = Length(buffer, capacity - 1);
  for (size_t i = 0; source && source[i] && n + 1 < capacity; ++i) {
    unsigned char c = (unsigned char)source[i];
    buffer[n++] = c < 0x80 ? (WCHAR)c : u'?';
  }
  buffer[n] = 0;
}
