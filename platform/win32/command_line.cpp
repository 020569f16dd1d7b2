#include "platform/win32/command_line.h"

#include <mutex>

#include <windows.h>

#include "platform/machine/text.h"

namespace {

struct Line {
  std::mutex mutex;
  std::u16string text;
};

Line& Current() {
  static Line line;
  return line;
}

}  // namespace

namespace win32 {

void SetCommandLine(std::u16string line) {
  std::lock_guard lock(Current().mutex);
  Current().text = std::move(line);
}

std::u16string CommandLineFromArguments(int argc, const char* const* argv) {
  std::u16string line;
  for (int i = 0; i < argc; ++i) {
    const std::u16string argument = machine::WideFromUtf8(argv[i]);
    if (i > 0) line += u' ';
    if (!argument.empty() && argument.find_first_of(u" \t\"") == std::u16string::npos) {
      line += argument;
      continue;
    }
    // Backslashes count only before a double quote: 2n backslashes and a quote read back as n
    // backslashes and the end of the argument, so they are doubled there.
    line += u'"';
    size_t backslashes = 0;
    for (char16_t c : argument) {
      if (c == u'\\') {
        ++backslashes;
        continue;
      }
      line.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, u'\\');
    line += u'"';
  }
  return line;
}

}  // namespace win32

LPWSTR WINAPI GetCommandLineW() {
  // The pointer stays valid until the line is set again, as Windows keeps its copy for the
  // lifetime of the process.
  std::lock_guard lock(Current().mutex);
  return Current().text.data();
}
