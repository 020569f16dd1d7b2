// RIFF WAVE files: the format chunk and the samples of the data chunk, found by walking the chunks
// of the "WAVE" form within the bytes there are.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/audio/pcm_format.h"

namespace audio {

struct WaveFile {
  PcmFormat format;
  std::vector<uint8_t> samples;  // whole frames only
};

// False when the bytes hold no WAVE form, no playable format or no samples. A data chunk that
// claims more than the file holds gives what is there.
bool ParseWaveFile(const std::vector<uint8_t>& bytes, WaveFile* wave);

}  // namespace audio
