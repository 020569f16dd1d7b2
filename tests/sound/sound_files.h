// Small audio files built byte by byte: RIFF WAVE with chosen chunks, and MPEG audio frames.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sound_test {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v);
void Put32(Bytes& b, uint32_t v);
// A chunk: id, size (the real size unless `declared` is given), the bytes, a pad byte when odd.
Bytes Chunk(const char (&id)[5], const Bytes& body, int64_t declared = -1);
// The 16 bytes of a PCM "fmt " body.
Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);
// "RIFF" <size> "WAVE" followed by the chunks.
Bytes Riff(const std::vector<Bytes>& chunks, const char (&form)[5] = "WAVE");
// A PCM WAVE of `frames` frames, each channel's samples `value` (16-bit) or `value` & 0xFF (8-bit).
Bytes Wave(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames, int16_t value = 0);
// `count` MPEG-1 layer III frames at 128 kbit/s and 44100 Hz (1152 samples each), zero payload.
Bytes Mpeg1Layer3(int count);

}  // namespace sound_test
