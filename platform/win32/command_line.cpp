#include "platform/win32/command_line.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <string_view>

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

// An X11 window id as screen-saver managers write it.
std::optional<unsigned long> WindowIdFromText(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  // X11 ids have 29 bits; anything larger names no window and must not wrap around into one.
  constexpr unsigned long kLargestId = 0x1FFFFFFF;
  unsigned long value = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<unsigned long>(digit);
    if (value > kLargestId) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return value;
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

LinuxStart StartFromArguments(int argc, const char* const* argv, const char* xscreensaverWindow) {
  LinuxStart start;
  const auto is = [](const char* argument, const char* a, const char* b) {
    return std::strcmp(argument, a) == 0 || std::strcmp(argument, b) == 0;
  };
  // A request for help or the version, or a long option the program does not know, is answered
  // before anything starts: the first of them, in the order given, decides.
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (is(argument, "--window-id", "-window-id")) {
      ++i;  // its value is no option, whatever it looks like
    } else if (is(argument, "--help", "-h") || std::strcmp(argument, "-?") == 0) {
      start.action = LinuxStart::Action::Usage;
      return start;
    } else if (std::strcmp(argument, "--version") == 0) {
      start.action = LinuxStart::Action::Version;
      return start;
    } else if (std::strncmp(argument, "--", 2) == 0 && std::strcmp(argument, "--root") != 0) {
      start.action = LinuxStart::Action::Refuse;
      start.problem = std::string("unknown option \"") + argument + "\"";
      return start;
    }
  }

  const char* program = argc > 0 ? argv[0] : "copperleaf";
  // Only the program name is kept from the Linux arguments: the manager's form decides the mode.
  const std::u16string name = CommandLineFromArguments(1, &program);
  // A manager's settings run the preview as "--root --window-id N": the window id wins wherever it
  // stands, so that the preview pane never gets the full-screen saver and its music.
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (!is(argument, "--window-id", "-window-id")) continue;
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    const auto id = value != nullptr ? WindowIdFromText(value) : std::nullopt;
    if (id) {
      start.commandLine = name + u" /p " + machine::WideFromUtf8(std::to_string(*id));
    } else {
      // Without a number the preview has no parent window, and says so.
      start.commandLine = name + u" /p";
      start.problem = value != nullptr ? std::string(argument) + " needs a window id, not \"" + value + "\""
                                       : std::string(argument) + " needs a window id";
    }
    return start;
  }
  for (int i = 1; i < argc; ++i) {
    if (!is(argv[i], "--root", "-root")) continue;
    start.commandLine = name + u" /s";
    if (xscreensaverWindow == nullptr || *xscreensaverWindow == '\0') return start;
    start.windowGiven = true;
    if (const auto id = WindowIdFromText(xscreensaverWindow)) {
      start.givenWindow = *id;
    } else {
      start.problem = std::string("$XSCREENSAVER_WINDOW is not a window id: \"") + xscreensaverWindow + "\"";
    }
    return start;
  }
  start.commandLine = CommandLineFromArguments(argc, argv);
  return start;
}

}  // namespace win32

LPWSTR WINAPI GetCommandLineW() {
  // The pointer stays valid until the line is set again, as Windows keeps its copy for the
  // lifetime of the process.
  std::lock_guard lock(Current().mutex);
  return Current().text.data();
}
