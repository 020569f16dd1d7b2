// Makes the sample scene's sounds at build time, so that the repository holds their recipes rather
// than their bytes:
//   sound_maker music SECONDS OUT.mp3   the soundtrack, encoded as MP3
//   sound_maker effect KIND OUT.wav     a sound effect as a 16-bit stereo WAVE file: "crackle",
//                                       "rain", "thunder" or "birds"
#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects.h"
#include "music.h"
#include "sound_files.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: sound_maker music SECONDS OUT.mp3\n"
               "       sound_maker effect crackle|rain|thunder|birds OUT.wav\n");
  return 2;
}

int Written(bool ok, const std::string& path) {
  if (ok) return 0;
  std::fprintf(stderr, "sound_maker: cannot write %s\n", path.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  const std::string command = argv[1];
  if (command == "music") {
    const float seconds = std::strtof(argv[2], nullptr);
    if (!(seconds >= 10.0f && seconds <= 600.0f)) return Usage();
    return Written(sound::WriteMp3(sound::MakeMusic(seconds), argv[3], 128), argv[3]);
  }
  if (command == "effect") {
    const auto effect = sound::MakeEffect(argv[2]);
    if (!effect) {
      std::fprintf(stderr, "sound_maker: no effect named %s\n", argv[2]);
      return 1;
    }
    return Written(sound::WriteWave(*effect, argv[3]), argv[3]);
  }
  return Usage();
}
