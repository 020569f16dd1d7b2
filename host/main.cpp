// The executable: the command line in Windows form (from the Linux screen-saver managers' forms
// too), the machine of COPPERLEAF_MACHINE (or the desktop's), then the screensaver's own entry point.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/win_main.h"
#include "platform/machine/machine.h"
#include "platform/win32/command_line.h"
#include "platform/win32/desktop_machine.h"
#include "platform/win32/given_window.h"
#include "platform/win32/termination.h"
#include "platform/win32/thread_priority.h"

int main(int argc, char** argv) {
  win32::HandleTerminationSignals();
  win32::UseSchedulerPriorities();
  const win32::LinuxStart start = win32::StartFromArguments(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (!start.problem.empty()) std::fprintf(stderr, "copperleaf: %s\n", start.problem.c_str());
  if (start.windowGiven) win32::SetGivenWindow(start.givenWindow);
  win32::SetCommandLine(start.commandLine);
  machine::Install(win32::DesktopMachine());
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return WinMain(GetModuleHandleW(nullptr), nullptr, tail.data(), 1 /* shown normally */);
}
