// What the source filter finds in a file: the kind of stream and how long it plays. MPEG audio
// lasts as long as its frames say (their headers are read, nothing is decoded); a RIFF WAVE file
// as long as its data chunk at its byte rate.
#pragma once
#include <string>
#include <vector>

#include <dshow.h>

namespace dshow {

enum class MediaKind { Unknown, Wave, MpegAudio, Pcm };

struct MediaInfo {
  MediaKind kind = MediaKind::Unknown;
  REFERENCE_TIME duration = 0;
};

MediaInfo ProbeMedia(const std::vector<BYTE>& bytes);

// The file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::u16string& path, std::vector<BYTE>* bytes);

}  // namespace dshow
