// MPEG audio decoded by libmpg123 from a file, frame-exactly: the length comes from a scan of the
// whole file (the encoder's delay and padding taken off when the file records them), and a read
// away from where decoding stands seeks to that very sample.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/stream.h"

struct mpg123_handle_struct;

namespace audio {

class Mp3Stream final : public Stream {
 public:
  // Null when the file cannot be opened or holds no decodable frame.
  static std::unique_ptr<Mp3Stream> Open(const std::string& path);
  ~Mp3Stream() override;

  uint32_t Rate() const override { return rate_; }
  int Channels() const override { return channels_; }
  uint64_t Frames() const override { return frames_; }
  size_t Read(uint64_t at, float* out, size_t frames) override;

 private:
  Mp3Stream() = default;
  // Decodes on until the window holds `frames` frames or the stream ends.
  void Fill(size_t frames);

  mpg123_handle_struct* handle_ = nullptr;
  uint32_t rate_ = 0;
  int channels_ = 0;
  uint64_t frames_ = 0;
  // Decoded frames from `windowStart_` on, interleaved; decoding stands at their end.
  std::vector<float> window_;
  uint64_t windowStart_ = 0;
  bool ended_ = false;
};

}  // namespace audio
