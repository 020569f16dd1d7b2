#include "platform/win32/message_box.h"

#include <cstdio>
#include <mutex>

#include "platform/machine/text.h"

namespace {

struct Hook {
  std::mutex mutex;
  std::function<int(const win32::MessageBoxShown&)> answer;
};

Hook& GetHook() {
  static Hook hook;
  return hook;
}

}  // namespace

namespace win32 {

void SetMessageBoxHook(std::function<int(const MessageBoxShown&)> hook) {
  std::lock_guard lock(GetHook().mutex);
  GetHook().answer = std::move(hook);
}

}  // namespace win32

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  const win32::MessageBoxShown box{owner, text != nullptr ? text : u"", caption != nullptr ? caption : u"Error", type};
  std::fprintf(stderr, "[%s] %s\n", machine::Utf8FromWide(box.caption).c_str(), machine::Utf8FromWide(box.text).c_str());
  std::function<int(const win32::MessageBoxShown&)> answer;
  {
    std::lock_guard lock(GetHook().mutex);
    answer = GetHook().answer;
  }
  return answer ? answer(box) : IDOK;
}
