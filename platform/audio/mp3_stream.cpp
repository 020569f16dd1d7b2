#include "platform/audio/mp3_stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace audio {

namespace {

constexpr size_t kDecodeBytes = 16384;

void InitialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

std::unique_ptr<Mp3Stream> Mp3Stream::Open(const std::string& path) {
  InitialiseLibrary();
  std::unique_ptr<Mp3Stream> stream(new Mp3Stream());
  int error = MPG123_OK;
  stream->handle_ = mpg123_new(nullptr, &error);
  if (stream->handle_ == nullptr) return nullptr;
  mpg123_handle* handle = stream->handle_;
  // Quiet: a damaged file is the file's problem, not a line on the user's terminal.
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0);
  if (mpg123_open(handle, path.c_str()) != MPG123_OK) return nullptr;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) return nullptr;
  if (rate <= 0 || (channels != MPG123_MONO && channels != MPG123_STEREO)) return nullptr;
  // Hold the output to the stream's own rate and channels, as floats.
  mpg123_format_none(handle);
  if (mpg123_format(handle, rate, channels, MPG123_ENC_FLOAT_32) != MPG123_OK) return nullptr;
  if (mpg123_scan(handle) != MPG123_OK) return nullptr;
  const off_t length = mpg123_length(handle);
  if (length <= 0) return nullptr;
  stream->rate_ = static_cast<uint32_t>(rate);
  stream->channels_ = channels;
  stream->frames_ = static_cast<uint64_t>(length);
  if (mpg123_seek(handle, 0, SEEK_SET) < 0) return nullptr;
  return stream;
}

Mp3Stream::~Mp3Stream() {
  if (handle_ != nullptr) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
  }
}

void Mp3Stream::Fill(size_t frames) {
  std::vector<unsigned char> bytes(kDecodeBytes);
  while (!ended_ && window_.size() < frames * channels_) {
    size_t done = 0;
    const int result = mpg123_read(handle_, bytes.data(), bytes.size(), &done);
    const size_t samples = done / sizeof(float);
    const size_t at = window_.size();
    window_.resize(at + samples);
    std::copy_n(reinterpret_cast<const unsigned char*>(bytes.data()), samples * sizeof(float),
                reinterpret_cast<unsigned char*>(window_.data() + at));
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK || done == 0) ended_ = true;
  }
}

size_t Mp3Stream::Read(uint64_t at, float* out, size_t frames) {
  if (at >= frames_) return 0;
  const uint64_t windowFrames = window_.size() / channels_;
  if (at < windowStart_ || at > windowStart_ + windowFrames) {
    // Away from the decoded window: start decoding again at that sample.
    window_.clear();
    ended_ = mpg123_seek(handle_, static_cast<off_t>(at), SEEK_SET) < 0;
    windowStart_ = at;
  } else {
    window_.erase(window_.begin(), window_.begin() + static_cast<ptrdiff_t>((at - windowStart_) * channels_));
    windowStart_ = at;
  }
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(frames, frames_ - at));
  Fill(wanted);
  const size_t got = std::min(wanted, window_.size() / channels_);
  std::copy_n(window_.begin(), got * channels_, out);
  // Decoded floats of a damaged stream may stray past full scale or be no number at all.
  for (size_t i = 0; i < got * channels_; ++i)
    if (!(out[i] >= -1.0f && out[i] <= 1.0f)) out[i] = out[i] > 1.0f ? 1.0f : (out[i] < -1.0f ? -1.0f : 0.0f);
  return got;
}

}  // namespace audio
