// The command line GetCommandLineW gives: set by the executable's entry point, or by a test.
#pragma once
#include <string>

namespace win32 {

void SetCommandLine(std::u16string line);

// The Windows form of a Linux argument vector: the arguments separated by blanks, each one that
// is empty or holds a blank, a tab or a double quote written in double quotes (a double quote
// inside doubled with a backslash, as the Windows rules read it back).
std::u16string CommandLineFromArguments(int argc, const char* const* argv);

}  // namespace win32
