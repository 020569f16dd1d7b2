#include "tests/sound/sound_files.h"

namespace sound_test {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

Bytes Chunk(const char (&id)[5], const Bytes& body, int64_t declared) {
  Bytes b(id, id + 4);
  Put32(b, declared < 0 ? uint32_t(body.size()) : uint32_t(declared));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) b.push_back(0);
  return b;
}

Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes b;
  const uint16_t block = uint16_t(channels * bits / 8);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * block);
  Put16(b, block);
  Put16(b, bits);
  return b;
}

Bytes Riff(const std::vector<Bytes>& chunks, const char (&form)[5]) {
  Bytes body(form, form + 4);
  for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
  return Chunk("RIFF", body);
}

Bytes Wave(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames, int16_t value) {
  Bytes samples;
  for (uint32_t i = 0; i < frames * channels; ++i) {
    if (bits == 8) samples.push_back(uint8_t(value));
    else Put16(samples, uint16_t(value));
  }
  return Riff({Chunk("fmt ", PcmFormat(channels, rate, bits)), Chunk("data", samples)});
}

Bytes Mpeg1Layer3(int count) {
  Bytes b;
  for (int i = 0; i < count; ++i) {
    // 144 x 128000 / 44100 = 417 bytes, no padding.
    const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};
    b.insert(b.end(), header, header + 4);
    b.insert(b.end(), 417 - 4, 0);
  }
  return b;
}

}  // namespace sound_test
