#include "platform/win32/registry_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/win32/termination.h"

namespace win32::registry {
namespace {

// The lock file, opened (and made when missing) without blocking whatever is found at its name;
// -1 with the reason in `error` when it is no regular file or cannot be opened.
int OpenLockFile(const std::filesystem::path& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "it is not a regular file";
    ::close(fd);
    return -1;
  }
  return fd;
}

// 1: locked, 0: held by another, -1: failed.
int TryLock(int fd) {
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 1;
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? 0 : -1;
  }
}

}  // namespace

FileLock FileLock::Wait(const std::filesystem::path& path, std::chrono::milliseconds longest, std::string& error) {
  const int fd = OpenLockFile(path, error);
  if (fd < 0) {
    error = "cannot open its lock file " + path.string() + " (" + error + ")";
    return FileLock(-1);
  }
  const auto deadline = std::chrono::steady_clock::now() + longest;
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    const int locked = TryLock(fd);
    if (locked == 1) return FileLock(fd);
    if (locked < 0) {
      error = "cannot lock " + path.string() + " (" + std::strerror(errno) + ")";
      break;
    }
    if (TerminationRequested()) {
      error = "the program is ending";
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = "another program has held its lock " + path.string() + " for too long";
      break;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(20000));
  }
  ::close(fd);
  return FileLock(-1);
}

FileLock FileLock::TryNow(const std::filesystem::path& path) {
  std::string ignored;
  const int fd = OpenLockFile(path, ignored);
  if (fd >= 0 && TryLock(fd) == 1) return FileLock(fd);
  if (fd >= 0) ::close(fd);
  return FileLock(-1);
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

// Closing the file gives the lock up.
FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace win32::registry
