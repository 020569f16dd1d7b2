#include "platform/audio/music_file.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/audio/mp3_stream.h"
#include "platform/audio/pcm_stream.h"
#include "platform/audio/wave_file.h"

namespace audio {

std::unique_ptr<Stream> OpenMusicFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  char head[12] = {};
  in.read(head, sizeof head);
  if (in.gcount() == sizeof head && std::string(head, 4) == "RIFF" && std::string(head + 8, 4) == "WAVE") {
    in.seekg(0);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    WaveFile wave;
    if (!ParseWaveFile(bytes, &wave)) return nullptr;
    return std::make_unique<PcmStream>(wave.format, std::move(wave.samples));
  }
  return Mp3Stream::Open(path);
}

}  // namespace audio
