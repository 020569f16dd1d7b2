#include "platform/win32/run_temp_folder.h"

#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/machine/text.h"

namespace {

struct RunFolder {
  std::mutex lock;
  std::string path;  // empty until made
  ~RunFolder() { Remove(); }
  // Only an empty folder goes: what is still in it is not ours to delete.
  void Remove() {
    if (!path.empty()) rmdir(path.c_str());
    path.clear();
  }
};

RunFolder& Folder() {
  static RunFolder folder;
  return folder;
}

}  // namespace

void win32::ForgetRunTempFolder() {
  RunFolder& folder = Folder();
  std::lock_guard<std::mutex> guard(folder.lock);
  folder.Remove();
}

DWORD WINAPI GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
  RunFolder& folder = Folder();
  std::lock_guard<std::mutex> guard(folder.lock);
  if (folder.path.empty()) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = base != nullptr && *base != '\0' ? base : "/tmp";
    while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
    pattern += "/copperleaf-XXXXXX";
    // mkdtemp makes a new folder of mode 0700 under a name nobody had.
    if (mkdtemp(pattern.data()) == nullptr) {
      return 0;
    }
    folder.path = pattern;
  }
  const std::u16string path = machine::WideFromUtf8(folder.path) + u"/";
  if (buffer == nullptr || bufferLength < path.size() + 1) return static_cast<DWORD>(path.size() + 1);
  path.copy(buffer, path.size());
  buffer[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}
