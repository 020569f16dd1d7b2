#include "tests/support/xvfb_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test_support {

namespace {
constexpr const char* kXvfb = "/usr/bin/Xvfb";
}

XvfbServer::XvfbServer(int width, int height) {
  if (access(kXvfb, X_OK) != 0) return;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return;
  const std::string fd = std::to_string(pipeEnds[1]);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  const bool started = posix_spawn(&server_, kXvfb, &actions, nullptr, const_cast<char**>(argv), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  // The server writes its display number once it accepts connections.
  std::string number;
  char c = 0;
  while (started && read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeEnds[0]);
  if (!started) server_ = 0;
  if (!number.empty()) display_ = ":" + number;
}

XvfbServer::~XvfbServer() {
  if (server_ > 0) {
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
  }
}

}  // namespace test_support
