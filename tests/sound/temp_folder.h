// A fresh temporary folder for one test, made the machine's temp folder through TMPDIR; the test
// works in the run's own folder that GetTempPathW makes inside it, as a new run would.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <windows.h>

#include "platform/win32/run_temp_folder.h"
#include "tests/sound/sound_files.h"

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/copperleaf-sound-XXXXXX";
    base_ = mkdtemp(pattern);
    const char* old = std::getenv("TMPDIR");
    if (old) previous_ = old;
    hadPrevious_ = old != nullptr;
    setenv("TMPDIR", base_.c_str(), 1);
    win32::ForgetRunTempFolder();
    WCHAR run[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, run);
    path_.assign(run, run + (length > 0 ? length - 1 : 0));
  }
  ~TempFolder() {
    win32::ForgetRunTempFolder();
    if (hadPrevious_) setenv("TMPDIR", previous_.c_str(), 1);
    else unsetenv("TMPDIR");
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The run's folder, and the $TMPDIR it is in.
  const std::string& Path() const { return path_; }
  const std::string& Base() const { return base_; }
  std::u16string Wide(const std::string& name) const {
    const std::string full = path_ + "/" + name;
    return std::u16string(full.begin(), full.end());
  }
  void Write(const std::string& name, const sound_test::Bytes& bytes) const {
    std::ofstream out(path_ + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  sound_test::Bytes Read(const std::string& name) const {
    std::ifstream in(path_ + "/" + name, std::ios::binary);
    return sound_test::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  size_t Count() const {
    size_t count = 0;
    // The run's own owner file (who holds the folder) is none of the files written into it.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
      count += entry.is_regular_file() && entry.path() != path_ + "/owner";
    }
    return count;
  }

 private:
  std::string base_;
  std::string path_;
  std::string previous_;
  bool hadPrevious_ = false;
};
