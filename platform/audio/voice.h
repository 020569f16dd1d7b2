// One sound the mixer plays: a stream read from a frame on, once or looping, at a left and a right
// gain, resampled to the output rate (linear between neighbouring frames; at the output rate the
// samples pass unchanged). Every call is made with the mixer's lock held.
#pragma once
#include <vector>

#include "platform/audio/stream.h"

namespace audio {

inline constexpr uint32_t kOutputRate = 44100;

class Voice {
 public:
  // The stream is not owned; its owner takes it away (null) before it goes.
  void SetSource(Stream* source);
  void Start(uint64_t frame, bool looping);
  void Stop() { playing_ = false; }
  void SetGain(float left, float right);
  bool Playing() const { return playing_; }

  // Adds the next `frames` output frames (left, right) to `mix` and moves on; a one-shot play that
  // passes the end of its stream stops.
  void MixInto(float* mix, size_t frames);

 private:
  Stream* source_ = nullptr;
  double position_ = 0;  // in source frames
  bool playing_ = false;
  bool looping_ = false;
  float left_ = 1.0f;
  float right_ = 1.0f;
  std::vector<float> window_;
};

}  // namespace audio
