// The PCM layouts the sound stand-in plays: 8-bit unsigned, 16, 24 and 32-bit signed integers and
// 32-bit floats, mono or stereo, at any rate a sound card would take, whether a file says so with a
// plain wave format or with the extended one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include <mmsystem.h>

namespace audio {

enum class SampleType { Unsigned8, Signed16, Signed24, Signed32, Float32 };

struct PcmFormat {
  SampleType type = SampleType::Signed16;
  int channels = 2;
  uint32_t rate = 44100;
  uint32_t blockAlign = 4;  // bytes per frame
};

inline constexpr uint32_t kMinRate = 100;
inline constexpr uint32_t kMaxRate = 200000;

// The layout `format` describes, or none when it is not one of the above or its sizes disagree.
// An extensible format is read as far as its cbSize says (`available` bytes exist at `format`).
std::optional<PcmFormat> ReadWaveFormat(const WAVEFORMATEX& format, size_t available);

// One sample of `frame` (the frame's first byte) as a float of full scale 1. A mono frame answers
// for both channels.
float Sample(const PcmFormat& format, const uint8_t* frame, int channel);

}  // namespace audio
