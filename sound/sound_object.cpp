#include "sound/sound_object.h"

DS_Sound::DS_Sound(DS_Sound_Ctrl* clone) : sound_(clone) {
  controller.reset(clone);
  sound_->Load();
}

void DS_Sound::Update(float time) {
  if (active_) sound_->Update(time);
}

void DS_Sound::SetActive(bool active) {
  // A one-shot sound waits for its next time: played looping now, it would repeat until then.
  if (active && sound_->Loops()) sound_->PlayLooping();
  if (!active) sound_->Stop();
  active_ = active;
}

void DS_Sound::Restart(int) { sound_->PlayOnce(); }
