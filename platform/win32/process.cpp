#include "platform/win32/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <thread>

#include <windows.h>

#include "platform/machine/text.h"

extern char** environ;

namespace {

struct Record {
  std::mutex mutex;
  std::vector<win32::ProcessStart> starts;
};

Record& Starts() {
  static Record record;
  return record;
}

bool Blank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

namespace win32 {

std::vector<ProcessStart> StartedProcesses() {
  std::lock_guard lock(Starts().mutex);
  return Starts().starts;
}

void ClearStartedProcesses() {
  std::lock_guard lock(Starts().mutex);
  Starts().starts.clear();
}

std::vector<std::u16string> SplitCommandLine(const std::u16string& line) {
  std::vector<std::u16string> arguments;
  size_t i = 0;
  std::u16string program;
  if (i < line.size() && line[i] == u'"') {
    const size_t end = line.find(u'"', i + 1);
    program = line.substr(i + 1, end == std::u16string::npos ? std::u16string::npos : end - i - 1);
    i = end == std::u16string::npos ? line.size() : end + 1;
  } else {
    while (i < line.size() && !Blank(line[i])) program += line[i++];
  }
  arguments.push_back(program);
  for (;;) {
    while (i < line.size() && Blank(line[i])) ++i;
    if (i >= line.size()) break;
    std::u16string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !Blank(line[i]))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == u'\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == u'"') {
        argument.append(backslashes / 2, u'\\');
        if (backslashes % 2 == 1) {
          argument += u'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          argument += u'"';  // a doubled quote inside quotes is one literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        argument.append(backslashes, u'\\');
        if (i < line.size() && (quoted || !Blank(line[i]))) argument += line[i++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace win32

BOOL WINAPI CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                           BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION processInformation) {
  const std::u16string line = commandLine != nullptr ? commandLine : u"";
  std::vector<std::u16string> arguments = win32::SplitCommandLine(line);
  if (applicationName != nullptr) arguments[0] = applicationName;
  const std::string program = machine::Utf8FromWide(arguments[0]);
  pid_t child = 0;
  bool started = false;
  // Started directly, never through a shell: the line may come from a registry value. A bare name
  // (the desktop's opener) is looked for along PATH, as Windows looks along its own.
  const bool bare = program.find('/') == std::string::npos;
  if (!program.empty() && (bare || access(program.c_str(), X_OK) == 0)) {
    std::vector<std::string> narrow;
    for (const auto& argument : arguments) narrow.push_back(machine::Utf8FromWide(argument));
    std::vector<char*> argv;
    for (auto& argument : narrow) argv.push_back(argument.data());
    argv.push_back(nullptr);
    started = (bare ? posix_spawnp : posix_spawn)(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
  }
  {
    std::lock_guard lock(Starts().mutex);
    Starts().starts.push_back({line, started});
  }
  if (!started) return FALSE;
  // The caller never waits for the program; a thread collects its exit so it leaves no zombie.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  if (processInformation != nullptr) {
    processInformation->hProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(child));
    processInformation->hThread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(child));
    processInformation->dwProcessId = static_cast<DWORD>(child);
    processInformation->dwThreadId = static_cast<DWORD>(child);
  }
  return TRUE;
}
