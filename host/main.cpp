// The executable: the Linux options, the command line in Windows form (from the Linux screen-saver
// managers' forms too), the machine of COPPERLEAF_MACHINE (or the desktop's), then the screensaver's
// own entry point. The exit code is 0 for a run that ended as asked, 1 for a failed one and 2 for
// a command line the program refuses.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/win_main.h"
#include "platform/audio/mixer.h"
#include "platform/machine/machine.h"
#include "platform/win32/command_line.h"
#include "platform/win32/desktop_machine.h"
#include "platform/win32/dialog_unseen.h"
#include "platform/win32/given_window.h"
#include "platform/win32/termination.h"
#include "platform/win32/thread_priority.h"

namespace {

constexpr char kUsage[] =
    "Usage: copperleaf [--root] [--window-id ID]\n"
    "       copperleaf [/s | /p N | /t | /c | /a | /r]\n"
    "A slide show of painted landscapes that come alive, as a screensaver.\n"
    "\n"
    "As the Linux screen-saver managers start it:\n"
    "  --root          full screen: in the window $XSCREENSAVER_WINDOW names, or over the monitors\n"
    "  --window-id ID  the preview inside window ID (decimal, or hexadecimal after 0x), also after --root\n"
    "  --help, -h, -?  show this text\n"
    "  --version       show the version\n"
    "\n"
    "As Windows starts a screen saver (with / or -, in either case):\n"
    "  /s              full screen on every monitor (also any letter not listed here)\n"
    "  /p N            the preview inside window N\n"
    "  /t              a test window\n"
    "  /c              the settings dialog (also without any option)\n"
    "  /a              change the password (does nothing on Linux)\n"
    "  /r              nothing\n"
    "\n"
    "Exit status: 0 when the run ended as asked, 1 when it failed, 2 for an unknown option.\n"
    "See copperleaf(6x) for the environment variables and files.\n";

}  // namespace

int main(int argc, char** argv) {
  const win32::LinuxStart start = win32::StartFromArguments(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  switch (start.action) {
    case win32::LinuxStart::Action::Usage:
      std::fputs(kUsage, stdout);
      return 0;
    case win32::LinuxStart::Action::Version:
      std::printf("copperleaf %s\n", COPPERLEAF_VERSION);
      return 0;
    case win32::LinuxStart::Action::Refuse:
      std::fprintf(stderr, "copperleaf: %s; copperleaf --help lists the options\n", start.problem.c_str());
      return 2;
    case win32::LinuxStart::Action::Run:
      break;
  }
  win32::HandleTerminationSignals();
  win32::WatchTheEnd(audio::Mixer::SilenceForGood);
  win32::UseSchedulerPriorities();
  if (!start.problem.empty()) std::fprintf(stderr, "copperleaf: %s\n", start.problem.c_str());
  if (start.windowGiven) win32::SetGivenWindow(start.givenWindow);
  win32::SetCommandLine(start.commandLine);
  machine::Install(win32::DesktopMachine());
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  const int code = WinMain(GetModuleHandleW(nullptr), nullptr, tail.data(), 1 /* shown normally */);
  // A settings dialog no one could see (no display) did not do what was asked.
  const int status = code == 0 && win32::DialogClosedUnseen() ? 1 : code;
  win32::EndPathTaken(status);
  return status;
}
