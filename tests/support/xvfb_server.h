// An Xvfb server of the test's own, on a display number the server picks itself, so that test
// processes run side by side never collide. Nothing is started when Xvfb is not installed.
#pragma once
#include <sys/types.h>

#include <string>

namespace test_support {

class XvfbServer {
 public:
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N", or empty when no server runs.
  const std::string& display() const { return display_; }

 private:
  pid_t server_ = 0;
  std::string display_;
};

}  // namespace test_support
