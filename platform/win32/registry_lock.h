// The lock that orders the processes changing one registry file, so that a read-modify-write made
// under it sees every change saved before and loses none saved at the same time. It is an advisory
// lock on a file of its own beside the registry, as the registry file is replaced at every save.
#pragma once
#include <chrono>
#include <filesystem>
#include <string>

namespace win32::registry {

class FileLock {
 public:
  // A save takes milliseconds; a lock held longer belongs to a stopped or hung program.
  static constexpr std::chrono::seconds kLongestWait{5};

  // Waits for the lock `longest` at most (a writer holds it for one save), and not at all once the
  // program is asked to end; not held when it could not be had, with the reason in `error`.
  static FileLock Wait(const std::filesystem::path& path, std::chrono::milliseconds longest, std::string& error);
  // Takes the lock only if no one holds it now; never creates a missing folder.
  static FileLock TryNow(const std::filesystem::path& path);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&&) = delete;
  ~FileLock();

  bool Held() const { return fd_ >= 0; }

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace win32::registry
