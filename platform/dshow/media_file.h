// What the source filter finds in a file: the kind of stream, its decoded samples and how long it
// plays, exactly as many samples as the decoder gives.
#pragma once
#include <memory>
#include <string>

#include <dshow.h>

#include "platform/audio/stream.h"

namespace dshow {

enum class MediaKind { Unknown, Wave, MpegAudio, Pcm };

struct MediaInfo {
  MediaKind kind = MediaKind::Unknown;
  REFERENCE_TIME duration = 0;
  std::shared_ptr<audio::Stream> stream;  // a source's decoded samples; none when undecodable
};

// False when the file cannot be read; a file that cannot be decoded is of kind Unknown.
bool OpenMedia(const std::u16string& path, MediaInfo* info);

}  // namespace dshow
