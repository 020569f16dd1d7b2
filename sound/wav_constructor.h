// A sound effect from a RIFF WAVE file the document embeds: the samples fill one buffer of the sound
// device, with the description's volume and balance. A clone shares the buffer.
#pragma once
#include <dsound.h>

#include "document/class_registry.h"
#include "document/file_link.h"
#include "sound/sound_ctrl.h"

class DS_WAV_Constructor : public DS_Sound_Ctrl {
 public:
  DS_WAV_Constructor() = default;
  ~DS_WAV_Constructor() override;

  // The whole "DS_WAV_Constructor" record.
  bool Save(DS_IOF_Virtual** stream) override;

  // Fills a new buffer from the file's WAVE bytes. Without a sound device, a record for the file,
  // WAVE data that can be parsed or a buffer, or while another scene plays the effects, the
  // description stays without a buffer and every sound operation does nothing.
  void Load() override;
  void PlayLooping() override;
  void Stop() override;
  void PlayOnce() override;
  // One-shot sounds: past the next trigger time, play once and draw the next.
  void Update(float time) override;
  DS_Sound_Ctrl* Clone() const override;

  void WriteBody(DS_IOF_Virtual** stream) const;

  DS_FileLink3 file;
  IDirectSoundBuffer8* buffer = nullptr;  // with a reference of its own
  float nextTrigger = 0.0f;

 private:
  DS_WAV_Constructor(const DS_WAV_Constructor& other);
  void PlayFromStart(DWORD flags);
};

template <>
void IOF_ReadFields<DS_WAV_Constructor>(DS_IOF_Virtual** stream, DWORD version, DS_WAV_Constructor& sound);
