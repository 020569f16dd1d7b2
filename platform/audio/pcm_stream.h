// PCM frames held in memory, in any layout of pcm_format.h.
#pragma once
#include <vector>

#include "platform/audio/pcm_format.h"
#include "platform/audio/stream.h"

namespace audio {

class PcmStream final : public Stream {
 public:
  PcmStream(const PcmFormat& format, std::vector<uint8_t> bytes);

  uint32_t Rate() const override { return format_.rate; }
  int Channels() const override { return format_.channels; }
  uint64_t Frames() const override { return bytes_.size() / format_.blockAlign; }
  size_t Read(uint64_t at, float* out, size_t frames) override;

 private:
  PcmFormat format_;
  std::vector<uint8_t> bytes_;
};

// Reads frames of `format` from `bytes` (`count` whole frames there).
size_t ReadPcm(const PcmFormat& format, const uint8_t* bytes, uint64_t count, uint64_t at, float* out,
               size_t frames);

}  // namespace audio
