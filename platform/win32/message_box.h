// Message boxes for tests: a hook sees every box shown and gives the button that closes it.
#pragma once
#include <functional>
#include <string>

#include <windows.h>

namespace win32 {

struct MessageBoxShown {
  HWND owner;
  std::u16string text;
  std::u16string caption;
  UINT type;
};

// Null restores the default answer, IDOK. Every box is written to standard error either way.
void SetMessageBoxHook(std::function<int(const MessageBoxShown&)> hook);

}  // namespace win32
