// An Xvfb server of its own for a test suite: it picks a free display number, so that test
// processes run side by side never collide. Empty when Xvfb is not installed or does not start.
#pragma once
#include <sys/types.h>

#include <string>

class XvfbServer {
 public:
  explicit XvfbServer(const char* screen = "640x480x24");
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N", or empty when no server runs.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};
