// One sound the mixer plays: a stream read from a frame on, once or looping, at a left and a right
// gain, resampled to the output rate (linear between neighbouring frames; at the output rate the
// samples pass unchanged). A voice made with a fade length fades in at every start and out at every
// stop over that many output frames, so that neither is heard as a click; a start while it sounds
// fades the old play out beside the new one. Every call is made with the mixer's lock held.
#pragma once
#include <cstddef>
#include <vector>

#include "platform/audio/stream.h"

namespace audio {

inline constexpr uint32_t kOutputRate = 44100;

class Voice {
 public:
  explicit Voice(size_t fadeFrames = 0) : fadeFrames_(fadeFrames) {}

  // The stream is not owned; its owner takes it away (null) before it goes.
  void SetSource(Stream* source);
  void Start(uint64_t frame, bool looping);
  void Stop();
  void SetGain(float left, float right);
  // Whether it plays, the fade after a stop aside.
  bool Playing() const { return current_.on; }

  // Adds the next `frames` output frames (left, right) to `mix` and moves on; a one-shot play that
  // passes the end of its stream stops.
  void MixInto(float* mix, size_t frames);

 private:
  struct Play {
    double position = 0;  // in source frames
    bool looping = false;
    bool on = false;      // false: fading out, or silent once its level is 0
    float level = 0;      // the fade's level, 1 when no fade is under way
  };
  bool Sounds(const Play& play) const { return play.on || play.level > 0.0f; }
  void MixPlay(Play& play, float* mix, size_t frames);

  size_t fadeFrames_;
  Stream* source_ = nullptr;
  Play current_;
  Play fading_;  // the play before the last start, on its way out
  float left_ = 1.0f;
  float right_ = 1.0f;
  std::vector<float> window_;
};

}  // namespace audio
