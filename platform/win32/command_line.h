// The command line GetCommandLineW gives: set by the executable's entry point, or by a test.
#pragma once
#include <string>

namespace win32 {

void SetCommandLine(std::u16string line);

// The Windows form of a Linux argument vector: the arguments separated by blanks, each one that
// is empty or holds a blank, a tab or a double quote written in double quotes (a double quote
// inside doubled with a backslash, as the Windows rules read it back).
std::u16string CommandLineFromArguments(int argc, const char* const* argv);

// How a user or a Linux screen-saver manager starts the program, in the Windows form:
// - "--help", "-h" or "-?": the usage; "--version": the version; any other argument beginning with
//   "--" (besides the forms below) is refused; the first of these decides, and nothing runs;
// - "--window-id N" (or "-window-id N") anywhere: the preview ("/p N") inside window N, also after
//   "--root", as a manager's settings start the preview;
// - "--root" or "-root" with $XSCREENSAVER_WINDOW set: full screen ("/s") drawn into that window;
// - "--root" alone: full screen on the monitors of the root window;
// a window id is decimal, or hexadecimal after "0x", nothing else, never 0 and within the 29 bits
// of X11 ids;
// any other arguments keep their Windows meaning. A window id that cannot be read leaves the
// preview without a parent and full screen without a window, whose start-up then fails with the
// screensaver's own message; `problem` says what was wrong with it, or why the start is refused.
struct LinuxStart {
  enum class Action { Run, Usage, Version, Refuse };
  Action action = Action::Run;
  std::u16string commandLine;      // for Run
  bool windowGiven = false;        // full screen in the window a manager gave
  unsigned long givenWindow = 0;   // that window; 0 when its id could not be read
  std::string problem;
};
LinuxStart StartFromArguments(int argc, const char* const* argv, const char* xscreensaverWindow);

}  // namespace win32
