#include "platform/audio/pcm_stream.h"

#include <algorithm>

namespace audio {

size_t ReadPcm(const PcmFormat& format, const uint8_t* bytes, uint64_t count, uint64_t at, float* out,
               size_t frames) {
  if (at >= count) return 0;
  const size_t n = static_cast<size_t>(std::min<uint64_t>(frames, count - at));
  const uint8_t* frame = bytes + at * format.blockAlign;
  for (size_t i = 0; i < n; ++i, frame += format.blockAlign)
    for (int c = 0; c < format.channels; ++c) *out++ = Sample(format, frame, c);
  return n;
}

PcmStream::PcmStream(const PcmFormat& format, std::vector<uint8_t> bytes)
    : format_(format), bytes_(std::move(bytes)) {}

size_t PcmStream::Read(uint64_t at, float* out, size_t frames) {
  return ReadPcm(format_, bytes_.data(), Frames(), at, out, frames);
}

}  // namespace audio
