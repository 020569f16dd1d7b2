// The mix nobody hears: what the playing buffers would sound like from now on.
#include "platform/dsound/sound_sink.h"

#include "platform/audio/mixer.h"
#include "platform/audio/pcm_format.h"

#include "platform/dsound/device_state.h"
#include "platform/dsound/sound_buffer.h"

namespace dsound {

namespace {

float Sample(const SoundBuffer& buffer, DWORD frame, int channel) {
  return audio::Sample(buffer.Pcm(), buffer.Bytes().data() + static_cast<size_t>(frame) * buffer.Pcm().blockAlign,
                       channel);
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
    float gain = audio::GainOf(buffer->Volume());
    if (const SoundBuffer* primary = buffer->Device().primary)
      gain *= primary->Silenced() ? 0.0f : audio::GainOf(primary->Volume());
    // Pan turns the far side down; the near side keeps its level.
    const float left = gain * (buffer->Pan() > 0 ? audio::GainOf(-buffer->Pan()) : 1.0f);
    const float right = gain * (buffer->Pan() < 0 ? audio::GainOf(buffer->Pan()) : 1.0f);
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
