// The mix written to a WAVE file (44.1 kHz, stereo, 16-bit) in place of the speakers, in the
// machine's clock time: a second of the clock, real or virtual, is a second of the file, from the
// moment the process first uses sound (its sound device's primary buffer starts playing). A thread
// writes what the clock has passed every few milliseconds, and every change to what plays first
// writes up to its moment, so on virtual time the file is the same on every run.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio/output.h"

namespace audio {

class Mixer;

class FileSink final : public Output {
 public:
  // Null, with the line on standard error, when the file cannot be made.
  static std::unique_ptr<FileSink> Open(Mixer& mixer, const std::string& path);
  // Writes up to the clock and completes the header.
  ~FileSink() override;

  void CatchUp() override;

 private:
  FileSink(Mixer& mixer, std::FILE* file);
  void Poll();
  void WriteHeader();

  Mixer& mixer_;
  std::FILE* file_;
  int64_t start_;      // clock time of the file's first frame
  bool virtualTime_;   // the clock's kind when last written
  uint64_t written_ = 0;
  std::mutex quitLock_;
  std::condition_variable wake_;
  bool quitting_ = false;
  std::thread poller_;
};

}  // namespace audio
