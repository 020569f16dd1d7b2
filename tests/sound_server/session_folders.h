// Folders of a test's own that a run's sound output looks for in its session: the runtime folder
// that holds the lock file and the server's socket, and a temporary folder, each named to the run
// through its variable for as long as the object lives.
#pragma once
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

// A folder of its own for the lock file and the server's socket, as $XDG_RUNTIME_DIR.
class RuntimeFolder {
 public:
  RuntimeFolder() {
    char pattern[] = "/tmp/copperleaf-runtime-XXXXXX";
    path_ = mkdtemp(pattern);
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
  }
  ~RuntimeFolder() {
    unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  RuntimeFolder(const RuntimeFolder&) = delete;
  RuntimeFolder& operator=(const RuntimeFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// "tmp" inside the runtime folder as $TMPDIR, where a run outside a desktop session keeps its lock.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const RuntimeFolder& runtime) : path_(runtime.Path() + "/tmp") {
    mkdir(path_.c_str(), 0700);
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ~TemporaryFolder() { unsetenv("TMPDIR"); }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
