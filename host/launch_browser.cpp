#include "host/launch_browser.h"

#include <algorithm>

namespace {

constexpr size_t kCommandCapacity = 260;

}  // namespace

std::optional<std::u16string> BrowserCommand(std::u16string_view registered, std::u16string_view address) {
  // The placeholder is replaced as text: the registered command is never used as a format, so a
  // '%' elsewhere in it (an environment variable, say) stays as it is.
  std::u16string command(registered);
  const size_t placeholder = command.find(u"%1");
  if (placeholder != std::u16string::npos) {
    command.replace(placeholder, 2, address);
  } else {
    command += u' ';
    command += address;
  }
  if (command.size() >= kCommandCapacity) return std::nullopt;
  return command;
}

bool LaunchBrowser(const WCHAR* address) {
  if (!address) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u"http\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  // One character short of the buffer, so that the text is terminated whatever the value holds.
  WCHAR registered[kCommandCapacity] = {};
  DWORD size = (kCommandCapacity - 1) * sizeof(WCHAR);
  const LSTATUS read = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(registered), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS) return false;
  std::u16string_view text(registered, size / sizeof(WCHAR));
  text = text.substr(0, std::min(text.find(u'\0'), text.size()));

  auto command = BrowserCommand(text, address);
  if (!command) return false;
  WCHAR line[kCommandCapacity] = {};
  std::copy(command->begin(), command->end(), line);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
