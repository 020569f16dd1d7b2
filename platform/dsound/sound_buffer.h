// A sound buffer of the stand-in device: PCM bytes with volume, pan and frequency, whose play cursor
// moves on the machine's clock while it plays. A one-shot play stops by itself at the end of the
// bytes; a looping play wraps. Each secondary buffer is a voice of the process's mixer, started at
// the clock's cursor whenever it is played, that fades in and out over a few milliseconds so that a
// start or a stop is no click; the primary buffer holds no bytes: its volume scales the whole mix,
// and once it is stopped the mix is silent until it plays again.
#pragma once
#include <memory>
#include <optional>
#include <vector>

#include <dsound.h>

#include "platform/audio/pcm_format.h"
#include "platform/audio/stream.h"
#include "platform/audio/voice.h"
#include "platform/d3d9/com_object.h"

namespace dsound {

struct DeviceState;

class SoundBuffer final : public d3d9::ComObject<IDirectSoundBuffer8> {
 public:
  // `format` is null for the primary buffer; `pcm` is what it describes.
  SoundBuffer(std::shared_ptr<DeviceState> device, DWORD flags, DWORD bytes, const WAVEFORMATEX* format,
              const audio::PcmFormat& pcm);
  ~SoundBuffer() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
  HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX format, DWORD size, LPDWORD written) override;
  HRESULT STDMETHODCALLTYPE GetVolume(LPLONG volume) override;
  HRESULT STDMETHODCALLTYPE GetPan(LPLONG pan) override;
  HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD frequency) override;
  HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD status) override;
  HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                                 LPDWORD bytes2, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Play(DWORD reserved, DWORD priority, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD position) override;
  HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
  HRESULT STDMETHODCALLTYPE SetPan(LONG pan) override;
  HRESULT STDMETHODCALLTYPE SetFrequency(DWORD frequency) override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;

  const DeviceState& Device() const { return *device_; }
  bool IsPrimary() const { return (flags_ & DSBCAPS_PRIMARYBUFFER) != 0; }
  DWORD Flags() const { return flags_; }
  const WAVEFORMATEX& Format() const { return format_; }
  const audio::PcmFormat& Pcm() const { return pcm_; }
  const std::vector<BYTE>& Bytes() const { return bytes_; }
  LONG Volume() const { return volume_; }
  LONG Pan() const { return pan_; }
  // A primary buffer that was stopped silences its device until it plays again.
  bool Silenced() const { return silenced_; }
  // The sample rate playback runs at: the set frequency, or the format's own.
  DWORD Rate() const { return frequency_ != 0 ? frequency_ : format_.nSamplesPerSec; }
  // Brings the cursor up to the clock (a one-shot play that has passed the end stops), then answers.
  bool Playing();
  bool Looping() { return Playing() && looping_; }
  DWORD Cursor();

 private:
  // The bytes as the mixer reads them: silence while the caller holds them locked for writing.
  class Samples final : public audio::Stream {
   public:
    explicit Samples(SoundBuffer& owner) : owner_(owner) {}
    uint32_t Rate() const override { return owner_.Rate(); }
    int Channels() const override { return owner_.pcm_.channels; }
    uint64_t Frames() const override { return owner_.bytes_.size() / owner_.pcm_.blockAlign; }
    size_t Read(uint64_t at, float* out, size_t frames) override;

   private:
    SoundBuffer& owner_;
  };

  void Advance();
  // The voice's gains from the volume and pan, or the master gain from the primary's volume; with
  // the mixer held.
  void ApplyGains();

  // 5 ms: short enough that a stop still sounds as a cut, long enough that it does not click.
  static constexpr size_t kFadeFrames = audio::kOutputRate / 200;

  std::shared_ptr<DeviceState> device_;
  DWORD flags_;
  WAVEFORMATEX format_{};
  audio::PcmFormat pcm_{};
  std::vector<BYTE> bytes_;
  LONG volume_ = 0;
  LONG pan_ = 0;
  DWORD frequency_ = 0;
  bool playing_ = false;
  bool looping_ = false;
  bool locked_ = false;
  bool silenced_ = false;
  // Byte position, and the clock time it was taken at while playing.
  DWORD position_ = 0;
  int64_t positionTime_ = 0;
  Samples stream_{*this};
  audio::Voice voice_{kFadeFrames};
};

}  // namespace dsound
