#include "platform/dsound/sound_buffer.h"

#include <algorithm>
#include <cstring>

#include "platform/audio/mixer.h"
#include "platform/audio/pcm_stream.h"
#include "platform/dsound/device_state.h"
#include "platform/machine/clock.h"

namespace dsound {

namespace {
constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
}  // namespace

SoundBuffer::SoundBuffer(std::shared_ptr<DeviceState> device, DWORD flags, DWORD bytes, const WAVEFORMATEX* format,
                         const audio::PcmFormat& pcm)
    : device_(std::move(device)), flags_(flags), pcm_(pcm), bytes_(bytes, 0) {
  if (format != nullptr) {
    // An extensible format is kept as the plain one it stands for.
    format_ = *format;
    format_.wFormatTag = pcm.type == audio::SampleType::Float32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    format_.cbSize = 0;
  }
  if (!IsPrimary()) {
    auto held = audio::Mixer::Instance().Hold();
    voice_.SetSource(&stream_);
    ApplyGains();
    audio::Mixer::Instance().AddVoice(&voice_);
  }
  std::lock_guard<std::mutex> lock(BufferListLock());
  BufferList().push_back(this);
}

SoundBuffer::~SoundBuffer() {
  if (device_->primary == this) device_->primary = nullptr;
  {
    auto held = audio::Mixer::Instance().Hold();
    if (IsPrimary()) audio::Mixer::Instance().SetMasterGain(1.0f);
    else audio::Mixer::Instance().RemoveVoice(&voice_);
  }
  std::lock_guard<std::mutex> lock(BufferListLock());
  auto& list = BufferList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

HRESULT SoundBuffer::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const bool known = riid == IID_IUnknown || riid == IID_IDirectSoundBuffer ||
                     (riid == IID_IDirectSoundBuffer8 && !IsPrimary());
  if (!known) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirectSoundBuffer8*>(this);
  return S_OK;
}

size_t SoundBuffer::Samples::Read(uint64_t at, float* out, size_t frames) {
  const uint64_t count = Frames();
  if (at >= count) return 0;
  if (owner_.locked_) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(frames, count - at));
    std::fill_n(out, n * owner_.pcm_.channels, 0.0f);
    return n;
  }
  return audio::ReadPcm(owner_.pcm_, owner_.bytes_.data(), count, at, out, frames);
}

void SoundBuffer::ApplyGains() {
  const float gain = audio::GainOf(volume_);
  if (IsPrimary()) {
    audio::Mixer::Instance().SetMasterGain(silenced_ ? 0.0f : gain);
    return;
  }
  // Pan turns the far side down; the near side keeps its level.
  voice_.SetGain(gain * (pan_ > 0 ? audio::GainOf(-pan_) : 1.0f), gain * (pan_ < 0 ? audio::GainOf(pan_) : 1.0f));
}

void SoundBuffer::Advance() {
  if (!playing_ || IsPrimary()) return;
  const int64_t now = machine::clock::Now();
  const DWORD block = std::max<DWORD>(format_.nBlockAlign, 1);
  // In two steps, so that a buffer left playing for days cannot overflow the product.
  const int64_t elapsed = now - positionTime_;
  const int64_t frames = elapsed / kNanosecondsPerSecond * Rate() + elapsed % kNanosecondsPerSecond * Rate() / kNanosecondsPerSecond;
  if (frames <= 0) return;
  const int64_t size = static_cast<int64_t>(bytes_.size());
  int64_t position = position_ + frames * block;
  // Keep the remainder of a frame in the time base so that slow polling does not drift.
  positionTime_ += frames / Rate() * kNanosecondsPerSecond + frames % Rate() * kNanosecondsPerSecond / Rate();
  if (position >= size) {
    if (!looping_) {
      playing_ = false;
      position = 0;
    } else {
      position %= size;
    }
  }
  position_ = static_cast<DWORD>(position);
}

bool SoundBuffer::Playing() {
  Advance();
  return playing_;
}

DWORD SoundBuffer::Cursor() {
  Advance();
  return position_;
}

HRESULT SoundBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
  if (IsPrimary()) return DSERR_INVALIDCALL;
  const DWORD cursor = Cursor();
  if (playCursor != nullptr) *playCursor = cursor;
  if (writeCursor != nullptr) *writeCursor = cursor;
  return DS_OK;
}

HRESULT SoundBuffer::GetFormat(LPWAVEFORMATEX format, DWORD size, LPDWORD written) {
  if (format == nullptr && written == nullptr) return DSERR_INVALIDPARAM;
  if (written != nullptr) *written = sizeof(WAVEFORMATEX);
  if (format != nullptr) std::memcpy(format, &format_, std::min<DWORD>(size, sizeof(WAVEFORMATEX)));
  return DS_OK;
}

HRESULT SoundBuffer::GetVolume(LPLONG volume) {
  if (volume == nullptr) return DSERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  *volume = volume_;
  return DS_OK;
}

HRESULT SoundBuffer::GetPan(LPLONG pan) {
  if (pan == nullptr) return DSERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  *pan = pan_;
  return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(LPDWORD frequency) {
  if (frequency == nullptr) return DSERR_INVALIDPARAM;
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  *frequency = Rate();
  return DS_OK;
}

HRESULT SoundBuffer::GetStatus(LPDWORD status) {
  if (status == nullptr) return DSERR_INVALIDPARAM;
  *status = 0;
  if (Playing()) *status = DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0);
  return DS_OK;
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                          DWORD flags) {
  if (IsPrimary()) return DSERR_INVALIDCALL;
  if (part1 == nullptr || bytes1 == nullptr || locked_) return DSERR_INVALIDPARAM;
  const DWORD size = static_cast<DWORD>(bytes_.size());
  if (flags & DSBLOCK_FROMWRITECURSOR) offset = Cursor();
  if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
  if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
  // A region past the end wraps to the start: the second part.
  const DWORD first = std::min(bytes, size - offset);
  if (first < bytes && (part2 == nullptr || bytes2 == nullptr)) return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  *part1 = bytes_.data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = first < bytes ? bytes_.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = bytes - first;
  locked_ = true;
  return DS_OK;
}

HRESULT SoundBuffer::Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) {
  if (!locked_) return DSERR_INVALIDCALL;
  BYTE* begin = bytes_.data();
  BYTE* end = begin + bytes_.size();
  auto inside = [&](LPVOID part, DWORD count) {
    if (part == nullptr) return count == 0;
    BYTE* at = static_cast<BYTE*>(part);
    return at >= begin && at <= end && count <= static_cast<DWORD>(end - at);
  };
  if (part1 == nullptr || !inside(part1, bytes1) || !inside(part2, bytes2)) return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  locked_ = false;
  return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD reserved, DWORD, DWORD flags) {
  if (reserved != 0) return DSERR_INVALIDPARAM;
  // The primary buffer only ever plays looping.
  if (IsPrimary() && !(flags & DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  Advance();
  if (!playing_) positionTime_ = machine::clock::Now();
  playing_ = true;
  looping_ = (flags & DSBPLAY_LOOPING) != 0;
  if (IsPrimary()) {
    silenced_ = false;
    ApplyGains();
  } else {
    voice_.Start(position_ / std::max<DWORD>(format_.nBlockAlign, 1), looping_);
  }
  return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD position) {
  if (IsPrimary()) return DSERR_INVALIDCALL;
  if (position >= bytes_.size()) return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  Advance();
  const DWORD block = std::max<DWORD>(format_.nBlockAlign, 1);
  position_ = position - position % block;
  positionTime_ = machine::clock::Now();
  if (playing_) voice_.Start(position_ / block, looping_);
  return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG volume) {
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  volume_ = volume;
  ApplyGains();
  return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG pan) {
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  pan_ = pan;
  ApplyGains();
  return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY) || IsPrimary()) return DSERR_CONTROLUNAVAIL;
  if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
    return DSERR_INVALIDPARAM;
  auto held = audio::Mixer::Instance().Hold();
  Advance();
  frequency_ = frequency;
  return DS_OK;
}

HRESULT SoundBuffer::Stop() {
  auto held = audio::Mixer::Instance().Hold();
  Advance();
  voice_.Stop();
  playing_ = false;
  looping_ = false;
  if (IsPrimary()) {
    silenced_ = true;
    ApplyGains();
  }
  return DS_OK;
}

}  // namespace dsound
