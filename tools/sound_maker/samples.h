// Stereo sample buffers and the small building blocks the sounds are made of: a seeded generator, so
// that every build makes the same bytes, and filters and envelopes in floating point.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound {

inline constexpr int kRate = 44100;

struct Stereo {
  std::vector<float> left, right;
  explicit Stereo(size_t frames = 0) : left(frames), right(frames) {}
  size_t Frames() const { return left.size(); }
  void Add(size_t frame, float l, float r) {
    if (frame < left.size()) {
      left[frame] += l;
      right[frame] += r;
    }
  }
  // Scales both channels so that the loudest sample reaches `peak`.
  void Normalise(float peak);
};

class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  // Uniform in [0, 1).
  float Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) / 16777216.0f;
  }
  float Between(float a, float b) { return a + (b - a) * Next(); }
  float Noise() { return Next() * 2.0f - 1.0f; }

 private:
  uint32_t state_;
};

// One-pole low-pass: `amount` near 0 smooths strongly, 1 passes everything.
class LowPass {
 public:
  explicit LowPass(float amount) : amount_(amount) {}
  float operator()(float x) { return state_ += amount_ * (x - state_); }

 private:
  float amount_;
  float state_ = 0.0f;
};

// Frequency of a MIDI note number (69 is 440 Hz).
float NoteFrequency(int note);

// A plain reverberation: feedback delays of different lengths per channel, mixed back in by `wet`.
void Reverberate(Stereo& sound, float wet, float decay);

}  // namespace sound
