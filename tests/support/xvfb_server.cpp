#include "tests/support/xvfb_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include <mutex>

extern char** environ;

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

// The tests' own connections look at the program's windows, which may go at any moment. Xlib's
// default handler ends the test process at such an error, leaving the program and the server
// running with the test's output still open; the assertion that looked fails instead.
int KeepGoing(Display*, XErrorEvent*) { return 0; }

}  // namespace

XvfbServer::XvfbServer(const char* screen) {
  if (access(kXvfb, X_OK) != 0) return;
  // Once, before any connection of the program's own code in this process, which sets its own.
  static std::once_flag handled;
  std::call_once(handled, [] { XSetErrorHandler(KeepGoing); });
  // The server writes the display number it took to the pipe once it accepts clients.
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return;
  const std::string fd = std::to_string(pipeEnds[1]);
  // A black root window (-br), so that anything else on the screen was drawn by a client; no reset
  // when the last client leaves, which would refuse the next test's connection for a moment.
  const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-br", "-noreset",
                        "-nolisten", "tcp", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  const bool started = posix_spawn(&pid_, kXvfb, &actions, nullptr, const_cast<char**>(argv), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string number;
  char c = 0;
  while (started && read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeEnds[0]);
  if (!started) pid_ = 0;
  if (!number.empty()) display_ = ":" + number;
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}
