#include "platform/dshow/media_file.h"

#include <fstream>

#include "platform/audio/music_file.h"
#include "platform/machine/text.h"

namespace dshow {

namespace {
constexpr uint64_t kUnitsPerSecond = 10'000'000;
}  // namespace

bool OpenMedia(const std::u16string& path, MediaInfo* info) {
  const std::string name = machine::Utf8FromWide(path);
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  char head[4] = {};
  in.read(head, sizeof head);
  const bool riff = in.gcount() == 4 && std::string(head, 4) == "RIFF";
  in.close();
  *info = MediaInfo{};
  std::unique_ptr<audio::Stream> stream = audio::OpenMusicFile(name);
  if (!stream) return true;
  info->kind = riff ? MediaKind::Wave : MediaKind::MpegAudio;
  const uint64_t frames = stream->Frames();
  info->duration = static_cast<REFERENCE_TIME>(frames / stream->Rate() * kUnitsPerSecond +
                                               frames % stream->Rate() * kUnitsPerSecond / stream->Rate());
  info->stream = std::move(stream);
  return true;
}

}  // namespace dshow
