// A music file decoded by its content: a RIFF WAVE file through our own parser, anything else as
// MPEG audio through libmpg123.
#pragma once
#include <memory>
#include <string>

#include "platform/audio/stream.h"

namespace audio {

// Null when the file cannot be read or decoded.
std::unique_ptr<Stream> OpenMusicFile(const std::string& path);

}  // namespace audio
