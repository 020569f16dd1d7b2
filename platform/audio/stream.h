// Decoded sound that the mixer reads frame by frame: a WAVE file's samples, an MP3 file's decoded
// frames, or a sound buffer's bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace audio {

class Stream {
 public:
  virtual ~Stream() = default;
  virtual uint32_t Rate() const = 0;
  virtual int Channels() const = 0;  // 1 or 2
  // The exact number of frames the stream holds.
  virtual uint64_t Frames() const = 0;
  // Up to `frames` frames from frame `at` on, as interleaved floats of full scale 1 (Channels() per
  // frame); the number read, fewer only at the end.
  virtual size_t Read(uint64_t at, float* out, size_t frames) = 0;
};

}  // namespace audio
