// The format and samples of a RIFF WAVE file held in memory, read through the multimedia RIFF
// functions.
#pragma once
#include <vector>

#include <windows.h>

struct WavData {
  WAVEFORMATEX format{};
  std::vector<BYTE> samples;
};

// False when the bytes hold no "WAVE" form with a PCM "fmt " chunk and a non-empty "data" chunk.
// The format is read as far as its chunk goes (cbSize 0 for PCM); a data chunk that claims more
// than the file holds gives what is there.
bool ParseWav(const BYTE* bytes, DWORD size, WavData* wav);
