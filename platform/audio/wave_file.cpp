#include "platform/audio/wave_file.h"

#include <algorithm>
#include <cstring>

namespace audio {

namespace {

constexpr size_t kChunkHeader = 8;

uint32_t Read32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

bool IsId(const uint8_t* at, const char (&id)[5]) { return std::memcmp(at, id, 4) == 0; }

}  // namespace

bool ParseWaveFile(const std::vector<uint8_t>& bytes, WaveFile* wave) {
  if (bytes.size() < 12 || !IsId(bytes.data(), "RIFF") || !IsId(bytes.data() + 8, "WAVE")) return false;
  // The form ends where its size says, or at the end of the file when that comes first.
  const size_t end = static_cast<size_t>(std::min<uint64_t>(bytes.size(), 8ull + Read32(bytes.data() + 4)));
  std::optional<PcmFormat> format;
  const uint8_t* data = nullptr;
  size_t dataSize = 0;
  for (size_t at = 12; at + kChunkHeader <= end;) {
    const uint8_t* chunk = bytes.data() + at;
    const size_t body = at + kChunkHeader;
    const size_t size = static_cast<size_t>(std::min<uint64_t>(Read32(chunk + 4), end - body));
    if (IsId(chunk, "fmt ") && !format && size >= 16) {
      uint8_t raw[sizeof(WAVEFORMATEXTENSIBLE)] = {};
      const size_t taken = std::min(size, sizeof raw);
      std::memcpy(raw, bytes.data() + body, taken);
      WAVEFORMATEX plain;
      std::memcpy(&plain, raw, sizeof plain);
      // A 16-byte PCM format has no cbSize: what follows belongs to the next chunk.
      if (taken < sizeof(WAVEFORMATEX)) plain.cbSize = 0;
      std::memcpy(raw, &plain, sizeof plain);
      format = ReadWaveFormat(*reinterpret_cast<const WAVEFORMATEX*>(raw), taken);
      if (!format) return false;
    } else if (IsId(chunk, "data") && data == nullptr) {
      data = bytes.data() + body;
      dataSize = size;
    }
    // Chunks are padded to even sizes.
    at = body + size + (size & 1);
  }
  if (!format || data == nullptr) return false;
  const size_t whole = dataSize - dataSize % format->blockAlign;
  if (whole == 0) return false;
  wave->format = *format;
  wave->samples.assign(data, data + whole);
  return true;
}

}  // namespace audio
