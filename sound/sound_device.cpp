#include "sound/sound_device.h"

#include <algorithm>

IDirectSound8* SoundDevice::device = nullptr;
IDirectSoundBuffer* SoundDevice::primary = nullptr;
DWORD SoundDevice::bufferFlags = 0;
bool SoundDevice::effectsElsewhere = false;

namespace {

// The size of a buffer description where pointers take four bytes.
constexpr DWORD kDescriptionSize = 36;

// The device and its primary buffer live until the process ends.
struct DeviceRelease {
  ~DeviceRelease() {
    if (SoundDevice::primary) SoundDevice::primary->Release();
    if (SoundDevice::device) SoundDevice::device->Release();
    SoundDevice::primary = nullptr;
    SoundDevice::device = nullptr;
  }
} g_deviceRelease;

}  // namespace

bool SoundDevice::Init(HWND window) {
  if (device) {
    // After a device reset the host stopped the primary buffer; it plays again.
    return primary && SUCCEEDED(primary->Play(0, 0, DSBPLAY_LOOPING));
  }
  bufferFlags = DSBCAPS_STICKYFOCUS;
  IDirectSound8* made = nullptr;
  if (FAILED(DirectSoundCreate8(nullptr, &made, nullptr)) || !made) return false;
  device = made;
  if (FAILED(device->SetCooperativeLevel(window, DSSCL_NORMAL))) return false;
  DSBUFFERDESC description{};
  description.dwSize = kDescriptionSize;
  description.dwFlags = bufferFlags | DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
  if (primary) primary->Release();
  primary = nullptr;
  if (FAILED(device->CreateSoundBuffer(&description, &primary, nullptr)) || !primary) return false;
  return SUCCEEDED(primary->Play(0, 0, DSBPLAY_LOOPING));
}

void SoundDevice::SetPrimaryVolume(LONG volume) {
  if (primary) primary->SetVolume(std::clamp<LONG>(volume, DSBVOLUME_MIN, DSBVOLUME_MAX));
}

void SoundDevice::StopPrimary() {
  if (primary) primary->Stop();
}
