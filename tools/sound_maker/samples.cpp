#include "samples.h"

#include <algorithm>
#include <cmath>

namespace sound {

void Stereo::Normalise(float peak) {
  float loudest = 0.0f;
  for (size_t i = 0; i < Frames(); ++i) loudest = std::max({loudest, std::fabs(left[i]), std::fabs(right[i])});
  if (loudest <= 0.0f) return;
  const float gain = peak / loudest;
  for (size_t i = 0; i < Frames(); ++i) {
    left[i] *= gain;
    right[i] *= gain;
  }
}

float NoteFrequency(int note) { return 440.0f * std::pow(2.0f, (note - 69) / 12.0f); }

void Reverberate(Stereo& sound, float wet, float decay) {
  // Mutually prime lengths (in samples) keep the echoes from lining up into a buzz.
  const size_t leftDelays[] = {1557, 1617, 1491, 1422};
  const size_t rightDelays[] = {1277, 1356, 1188, 1116};
  auto channel = [&](std::vector<float>& samples, const size_t* delays) {
    std::vector<float> out(samples.size(), 0.0f);
    for (int d = 0; d < 4; ++d) {
      std::vector<float> line(delays[d], 0.0f);
      size_t at = 0;
      LowPass damp(0.4f);
      for (size_t i = 0; i < samples.size(); ++i) {
        const float echoed = line[at];
        line[at] = samples[i] + damp(echoed) * decay;
        at = (at + 1) % line.size();
        out[i] += echoed * 0.25f;
      }
    }
    for (size_t i = 0; i < samples.size(); ++i) samples[i] += wet * out[i];
  };
  channel(sound.left, leftDelays);
  channel(sound.right, rightDelays);
}

}  // namespace sound
