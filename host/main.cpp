// The executable: the machine of COPPERLEAF_MACHINE (or the desktop's), the command line in Windows
// form, then the screensaver's own entry point.
#include <string>

#include "host/win_main.h"
#include "platform/machine/machine.h"
#include "platform/win32/command_line.h"
#include "platform/win32/desktop_machine.h"

int main(int argc, char** argv) {
  machine::Install(win32::DesktopMachine());
  win32::SetCommandLine(win32::CommandLineFromArguments(argc, argv));
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return WinMain(GetModuleHandleW(nullptr), nullptr, tail.data(), 1 /* shown normally */);
}
