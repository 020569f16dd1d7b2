// Writing the made sounds: RIFF WAVE files of 16-bit PCM, and MP3 files through the LAME encoder.
#pragma once
#include <string>

#include "samples.h"

namespace sound {

// Both false when the file cannot be written (or, for MP3, the encoder refuses).
bool WriteWave(const Stereo& sound, const std::string& path);
bool WriteMp3(const Stereo& sound, const std::string& path, int kilobitsPerSecond);

}  // namespace sound
