// What tests see of the stand-in's sound device: its buffers as they stand on the machine's clock,
// and what they would sound like from now on, computed on request beside what the mixer plays.
#pragma once
#include <vector>

#include <dsound.h>

namespace dsound {

// The sample rate of the mix.
inline constexpr DWORD kMixRate = 44100;

// A secondary buffer as it stands on the machine's clock now.
struct BufferState {
  DWORD flags = 0;
  WAVEFORMATEX format{};
  std::vector<BYTE> bytes;
  bool playing = false;
  bool looping = false;
  DWORD position = 0;
  LONG volume = 0;
  LONG pan = 0;
};

// Every live secondary buffer of every device, in creation order.
std::vector<BufferState> SecondaryBuffers();

// The primary buffer of the last device made, when there is one: its volume, and whether it plays.
struct PrimaryState {
  bool exists = false;
  bool playing = false;
  LONG volume = 0;
};
PrimaryState Primary();

// The next `frames` stereo frames (left, right) of every playing secondary buffer from its cursor,
// each scaled by its volume and pan and by its device's primary volume, as floats of full scale 1.
// The buffers do not move: time moves only with the clock.
std::vector<float> MixStereo(DWORD frames);

// Tests take the sound device away: DirectSoundCreate8 then fails with DSERR_NODRIVER.
void SetDeviceAvailable(bool available);

}  // namespace dsound
