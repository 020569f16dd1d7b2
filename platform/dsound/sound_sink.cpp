// The mix nobody hears: what the playing buffers would sound like from now on.
#include "platform/dsound/sound_sink.h"

#include <cmath>

#include "platform/dsound/device_state.h"
#include "platform/dsound/sound_buffer.h"

namespace dsound {

namespace {

// Hundredths of a decibel to a linear factor.
float Gain(LONG hundredths) { return static_cast<float>(std::pow(10.0, hundredths / 2000.0)); }

float Sample(const SoundBuffer& buffer, DWORD frame, int channel) {
  const WAVEFORMATEX& format = buffer.Format();
  const size_t at = static_cast<size_t>(frame) * format.nBlockAlign +
                    static_cast<size_t>(channel % format.nChannels) * (format.wBitsPerSample / 8u);
  const std::vector<BYTE>& bytes = buffer.Bytes();
  if (format.wBitsPerSample == 8) return (static_cast<int>(bytes[at]) - 128) / 128.0f;
  const auto value = static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
  return value / 32768.0f;
}

}  // namespace

std::vector<BufferState> SecondaryBuffers() {
  std::vector<BufferState> states;
  std::lock_guard<std::mutex> lock(BufferListLock());
  for (SoundBuffer* buffer : BufferList()) {
    if (buffer->IsPrimary()) continue;
    BufferState state;
    state.flags = buffer->Flags();
    state.format = buffer->Format();
    state.bytes = buffer->Bytes();
    state.playing = buffer->Playing();
    state.looping = buffer->Looping();
    state.position = buffer->Cursor();
    state.volume = buffer->Volume();
    state.pan = buffer->Pan();
    states.push_back(std::move(state));
  }
  return states;
}

std::vector<float> MixStereo(DWORD frames) {
  std::vector<float> mix(static_cast<size_t>(frames) * 2, 0.0f);
  std::lock_guard<std::mutex> lock(BufferListLock());
  for (SoundBuffer* buffer : BufferList()) {
    if (buffer->IsPrimary() || !buffer->Playing()) continue;
    const DWORD block = buffer->Format().nBlockAlign;
    const DWORD count = static_cast<DWORD>(buffer->Bytes().size()) / block;
    if (count == 0) continue;
    float gain = Gain(buffer->Volume());
    if (const SoundBuffer* primary = buffer->Device().primary) gain *= Gain(primary->Volume());
    // Pan turns the far side down; the near side keeps its level.
    const float left = gain * (buffer->Pan() > 0 ? Gain(-buffer->Pan()) : 1.0f);
    const float right = gain * (buffer->Pan() < 0 ? Gain(buffer->Pan()) : 1.0f);
    const DWORD start = buffer->Cursor() / block;
    const bool looping = buffer->Looping();
    for (DWORD i = 0; i < frames; ++i) {
      const uint64_t step = static_cast<uint64_t>(i) * buffer->Rate() / kMixRate;
      uint64_t frame = start + step;
      if (frame >= count) {
        if (!looping) break;
        frame %= count;
      }
      mix[2 * i] += left * Sample(*buffer, static_cast<DWORD>(frame), 0);
      mix[2 * i + 1] += right * Sample(*buffer, static_cast<DWORD>(frame), 1);
    }
  }
  return mix;
}

}  // namespace dsound
