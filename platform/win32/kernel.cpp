// The calling thread and text conversion.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/machine/text.h"

HANDLE WINAPI GetCurrentThread() {
  // The pseudo handle of the calling thread, as Windows gives it.
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                               int wideLength) {
  if (multiByte == nullptr || multiByteLength == 0 || multiByteLength < -1 || wideLength < 0 ||
      (codePage != CP_ACP && codePage != CP_UTF8)) {
    return 0;
  }
  // Length -1: the string and its NUL, which then counts in the result.
  const size_t length = multiByteLength == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
  const std::u16string text = machine::WideFromUtf8(std::string_view(multiByte, length));
  if (wideLength == 0) return static_cast<int>(text.size());
  if (wide == nullptr || text.size() > static_cast<size_t>(wideLength)) return 0;
  text.copy(wide, text.size());
  return static_cast<int>(text.size());
}
