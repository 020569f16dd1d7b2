// The format and samples of a RIFF WAVE file held in memory, read through the multimedia RIFF
// functions.
#pragma once
#include <vector>

#include <windows.h>

struct WavData {
  WAVEFORMATEX format{};
  std::vector<BYTE> samples;
};

// False when the bytes hold no "WAVE" form with a PCM or IEEE float "fmt " chunk (plain or
// extensible) and a non-empty "data" chunk. The format is read as far as its chunk goes and kept as
// the plain one (cbSize 0); whether the sound device plays its bits, channels and rate is the
// device's to say. A data chunk that claims more than the file holds gives what is there.
bool ParseWav(const BYTE* bytes, DWORD size, WavData* wav);
