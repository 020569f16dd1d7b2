#include "sound/wav_constructor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/resource_record.h"
#include "render/random.h"
#include "sound/sound_device.h"
#include "sound/wav_data.h"

namespace {
constexpr DWORD kDescriptionSize = 36;  // where pointers take four bytes
constexpr UINT kFullScale = 100;
}  // namespace

DS_WAV_Constructor::DS_WAV_Constructor(const DS_WAV_Constructor& other)
    : DS_Sound_Ctrl(other), file(other.file), buffer(other.buffer), nextTrigger(other.nextTrigger) {
  if (buffer) buffer->AddRef();
}

DS_WAV_Constructor::~DS_WAV_Constructor() {
  if (buffer) buffer->Release();
}

DS_Sound_Ctrl* DS_WAV_Constructor::Clone() const { return new DS_WAV_Constructor(*this); }

void DS_WAV_Constructor::Load() {
  if (!SoundDevice::device || SoundDevice::effectsElsewhere || !g_DocResManager) return;
  const ResourceRecord* record = g_DocResManager->GetFileRecord(file);
  if (!record || !record->Bytes()) return;
  WavData wav;
  if (!ParseWav(record->Bytes(), record->Size(), &wav)) return;

  DSBUFFERDESC description{};
  description.dwSize = kDescriptionSize;
  description.dwFlags = SoundDevice::bufferFlags | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
  description.dwBufferBytes = static_cast<DWORD>(wav.samples.size());
  description.lpwfxFormat = &wav.format;
  IDirectSoundBuffer* made = nullptr;
  if (FAILED(SoundDevice::device->CreateSoundBuffer(&description, &made, nullptr)) || !made) return;
  IDirectSoundBuffer8* made8 = nullptr;
  const HRESULT asked = made->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&made8));
  made->Release();
  if (FAILED(asked) || !made8) return;
  if (buffer) buffer->Release();
  buffer = made8;

  void* part = nullptr;
  DWORD partBytes = 0;
  if (SUCCEEDED(buffer->Lock(0, 0, &part, &partBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
    std::memcpy(part, wav.samples.data(), std::min<size_t>(partBytes, wav.samples.size()));
    buffer->Unlock(part, partBytes, nullptr, 0);
  }
  // Stored values beyond the scale would fall outside what the buffer accepts.
  const LONG level = static_cast<LONG>(std::min(volume.value, kFullScale));
  const LONG side = static_cast<LONG>(std::min(balance.value, kFullScale));
  buffer->SetVolume(level * 50 - 5000);
  buffer->SetPan(side * 100 - 5000);
}

void DS_WAV_Constructor::PlayFromStart(DWORD flags) {
  if (buffer && SUCCEEDED(buffer->SetCurrentPosition(0))) buffer->Play(0, 0, flags);
}

void DS_WAV_Constructor::PlayLooping() { PlayFromStart(DSBPLAY_LOOPING); }

void DS_WAV_Constructor::PlayOnce() { PlayFromStart(0); }

void DS_WAV_Constructor::Stop() {
  if (buffer) buffer->Stop();
}

void DS_WAV_Constructor::Update(float time) {
  if (Loops() || !(time > nextTrigger)) return;
  PlayOnce();
  nextTrigger = time + RandFloat(static_cast<float>(minimumInterval.value), static_cast<float>(maximumInterval.value));
}
