#include "platform/audio/pcm_format.h"

#include <cstring>

namespace audio {

namespace {

constexpr size_t kExtensibleExtra = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
// The fields after the first of every sample-type GUID of the extensible format.
constexpr WORD kSubtypeData2 = 0x0000;
constexpr WORD kSubtypeData3 = 0x0010;
constexpr BYTE kSubtypeData4[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::optional<SampleType> TypeOf(WORD tag, WORD bits) {
  if (tag == WAVE_FORMAT_IEEE_FLOAT) return bits == 32 ? std::optional(SampleType::Float32) : std::nullopt;
  if (tag != WAVE_FORMAT_PCM) return std::nullopt;
  switch (bits) {
    case 8: return SampleType::Unsigned8;
    case 16: return SampleType::Signed16;
    case 24: return SampleType::Signed24;
    case 32: return SampleType::Signed32;
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<PcmFormat> ReadWaveFormat(const WAVEFORMATEX& format, size_t available) {
  WORD tag = format.wFormatTag;
  if (tag == WAVE_FORMAT_EXTENSIBLE) {
    if (format.cbSize < kExtensibleExtra || available < sizeof(WAVEFORMATEXTENSIBLE)) return std::nullopt;
    WAVEFORMATEXTENSIBLE extended;
    std::memcpy(&extended, &format, sizeof extended);
    const GUID& sub = extended.SubFormat;
    if (sub.Data1 > 0xFFFF || sub.Data2 != kSubtypeData2 || sub.Data3 != kSubtypeData3 ||
        std::memcmp(sub.Data4, kSubtypeData4, sizeof kSubtypeData4) != 0)
      return std::nullopt;
    tag = static_cast<WORD>(sub.Data1);
  }
  const std::optional<SampleType> type = TypeOf(tag, format.wBitsPerSample);
  if (!type) return std::nullopt;
  if (format.nChannels != 1 && format.nChannels != 2) return std::nullopt;
  if (format.nSamplesPerSec < kMinRate || format.nSamplesPerSec > kMaxRate) return std::nullopt;
  const uint32_t block = format.nChannels * format.wBitsPerSample / 8u;
  if (format.nBlockAlign != block || format.nAvgBytesPerSec != format.nSamplesPerSec * block) return std::nullopt;
  return PcmFormat{*type, format.nChannels, format.nSamplesPerSec, block};
}

float Sample(const PcmFormat& format, const uint8_t* frame, int channel) {
  const int bytes = static_cast<int>(format.blockAlign) / format.channels;
  const uint8_t* at = frame + (format.channels == 1 ? 0 : channel) * bytes;
  switch (format.type) {
    case SampleType::Unsigned8: return (static_cast<int>(at[0]) - 128) / 128.0f;
    case SampleType::Signed16: return static_cast<int16_t>(at[0] | at[1] << 8) / 32768.0f;
    case SampleType::Signed24: {
      // The three bytes go to the top of a 32-bit word, whose sign is then the sample's.
      const auto word = static_cast<int32_t>(static_cast<uint32_t>(at[0]) << 8 | static_cast<uint32_t>(at[1]) << 16 |
                                             static_cast<uint32_t>(at[2]) << 24);
      return static_cast<float>(word / 2147483648.0);
    }
    case SampleType::Signed32: {
      int32_t word;
      std::memcpy(&word, at, sizeof word);
      return static_cast<float>(word / 2147483648.0);
    }
    case SampleType::Float32: {
      float value;
      std::memcpy(&value, at, sizeof value);
      // A file's NaN or infinity would poison the whole mix.
      if (!(value >= -1.0f && value <= 1.0f)) return value > 1.0f ? 1.0f : (value < -1.0f ? -1.0f : 0.0f);
      return value;
    }
  }
  return 0.0f;
}

}  // namespace audio
