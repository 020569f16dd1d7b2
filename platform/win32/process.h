// What CreateProcessW was asked to start, for tests: every call, successful or not, in order.
#pragma once
#include <string>
#include <vector>

namespace win32 {

struct ProcessStart {
  std::u16string commandLine;
  bool started = false;
};

std::vector<ProcessStart> StartedProcesses();
void ClearStartedProcesses();

// The arguments of a Windows command line as the Windows rules split it: the program name ends at
// the next blank, or, when it starts with a double quote, at the next double quote; the other
// arguments may be quoted, with backslashes escaping double quotes.
std::vector<std::u16string> SplitCommandLine(const std::u16string& line);

}  // namespace win32
