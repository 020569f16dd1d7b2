#include "platform/audio/voice.h"

#include <algorithm>
#include <cmath>

namespace audio {

void Voice::SetSource(Stream* source) {
  source_ = source;
  if (source_ == nullptr) current_ = fading_ = Play{};
}

void Voice::Start(uint64_t frame, bool looping) {
  if (source_ == nullptr) return;
  // The louder of the two plays before fades out; one only just started (a position set, then a
  // play, at one moment) is not heard yet and simply starts again.
  if (Sounds(current_) && current_.level >= fading_.level) {
    fading_ = current_;
    fading_.on = false;
  }
  current_.position = static_cast<double>(frame);
  current_.looping = looping;
  current_.on = true;
  current_.level = fadeFrames_ == 0 ? 1.0f : 0.0f;
}

void Voice::Stop() {
  current_.on = false;
  if (fadeFrames_ == 0) current_.level = 0.0f;
}

void Voice::SetGain(float left, float right) {
  left_ = left;
  right_ = right;
}

void Voice::MixInto(float* mix, size_t frames) {
  if (source_ == nullptr || frames == 0) return;
  if (Sounds(fading_)) MixPlay(fading_, mix, frames);
  if (Sounds(current_)) MixPlay(current_, mix, frames);
}

void Voice::MixPlay(Play& play, float* mix, size_t frames) {
  const uint64_t total = source_->Frames();
  const int channels = source_->Channels();
  if (total == 0 || channels < 1) {
    play = Play{};
    return;
  }
  const double step = static_cast<double>(source_->Rate()) / kOutputRate;
  const auto first = static_cast<uint64_t>(play.position);
  // The source frames under this block, one more for the last frame's right neighbour.
  const auto last = static_cast<uint64_t>(play.position + static_cast<double>(frames - 1) * step);
  const size_t needed = static_cast<size_t>(last - first) + 2;
  window_.assign(needed * channels, 0.0f);
  size_t filled = 0;
  uint64_t at = first;
  while (filled < needed) {
    if (at >= total) {
      if (!play.looping) break;
      at %= total;
    }
    const size_t read = source_->Read(at, window_.data() + filled * channels,
                                      static_cast<size_t>(std::min<uint64_t>(needed - filled, total - at)));
    if (read == 0) break;  // the stream holds less than it said: silence from here
    filled += read;
    at += read;
  }
  const int right = channels > 1 ? 1 : 0;
  const float target = play.on ? 1.0f : 0.0f;
  const float fadeStep = fadeFrames_ == 0 ? 1.0f : 1.0f / static_cast<float>(fadeFrames_);
  for (size_t i = 0; i < frames; ++i) {
    play.level = play.level < target ? std::min(target, play.level + fadeStep) : std::max(target, play.level - fadeStep);
    const double offset = play.position + static_cast<double>(i) * step - static_cast<double>(first);
    const auto index = static_cast<size_t>(offset);
    const auto fraction = static_cast<float>(offset - static_cast<double>(index));
    const float* here = window_.data() + index * channels;
    const float* next = here + channels;
    const float l = here[0] + (next[0] - here[0]) * fraction;
    const float r = here[right] + (next[right] - here[right]) * fraction;
    mix[2 * i] += l * left_ * play.level;
    mix[2 * i + 1] += r * right_ * play.level;
  }
  play.position += static_cast<double>(frames) * step;
  if (play.position >= static_cast<double>(total)) {
    if (play.looping) {
      play.position = std::fmod(play.position, static_cast<double>(total));
    } else {
      play.on = false;
      play.level = 0.0f;
    }
  }
}

}  // namespace audio
