// The one mixer of the process: every effect voice at its gains under the master gain (the sound
// device's primary volume), plus the music voice at its own gain, clipped to full scale. Callers change voices on
// the main thread while the output pulls the mix on its own, so both go through the mixer's lock.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/output.h"
#include "platform/audio/voice.h"

namespace audio {

class Mixer {
 public:
  // Made at its first use, with the output the environment asks for: the file named by
  // COPPERLEAF_SOUND_FILE, otherwise the speakers when a sound server answers.
  static Mixer& Instance();
  // From now on every output plays silence, whatever the voices: for a process that is ending but
  // may not get the processor to stop its voices soon. Safe from any thread, without the lock.
  static void SilenceForGood();

  // Holds the lock for a change to what plays, after the output has caught up with the clock.
  std::unique_lock<std::mutex> Hold();
  // The lock alone, for outputs.
  std::mutex& Lock() { return lock_; }

  // With the lock held.
  void AddVoice(Voice* voice);
  void RemoveVoice(Voice* voice);
  // The one music voice: a newer soundtrack replaces the one before.
  void SetMusic(Voice* voice);
  void DropMusic(Voice* voice);
  void SetMasterGain(float gain);
  // The next `frames` frames of the mix, left and right interleaved, each within [-1, 1].
  void RenderHeld(float* out, size_t frames);

  // Replace the output: a WAVE file written on the machine's clock, the speakers, or none.
  void UseFileSink(const std::string& path);
  void UseSpeakers();
  void CloseOutput();

 private:
  Mixer() = default;
  void Replace(std::unique_ptr<Output> output);

  std::mutex lock_;
  std::vector<Voice*> voices_;
  Voice* music_ = nullptr;
  float master_ = 1.0f;
  std::unique_ptr<Output> output_;
};

// Hundredths of a decibel to a linear factor; -10000 and below are silence.
float GainOf(long hundredths);

// Says once per process, on standard error, that sound plays nowhere, and why.
void TellSilent(const char* why);

}  // namespace audio
