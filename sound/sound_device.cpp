#include "sound/sound_device.h"

bool SoundDevice::Init(HWND) { return false; }

void SoundDevice::SetPrimaryVolume(LONG) {}

void SoundDevice::StopPrimary() {}
