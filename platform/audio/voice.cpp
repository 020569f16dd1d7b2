#include "platform/audio/voice.h"

#include <algorithm>
#include <cmath>

namespace audio {

void Voice::SetSource(Stream* source) {
  source_ = source;
  if (source_ == nullptr) playing_ = false;
}

void Voice::Start(uint64_t frame, bool looping) {
  position_ = static_cast<double>(frame);
  looping_ = looping;
  playing_ = source_ != nullptr;
}

void Voice::SetGain(float left, float right) {
  left_ = left;
  right_ = right;
}

void Voice::MixInto(float* mix, size_t frames) {
  if (!playing_ || source_ == nullptr || frames == 0) return;
  const uint64_t total = source_->Frames();
  const int channels = source_->Channels();
  if (total == 0 || channels < 1) {
    playing_ = false;
    return;
  }
  const double step = static_cast<double>(source_->Rate()) / kOutputRate;
  const auto first = static_cast<uint64_t>(position_);
  // The source frames under this block, one more for the last frame's right neighbour.
  const auto last = static_cast<uint64_t>(position_ + static_cast<double>(frames - 1) * step);
  const size_t needed = static_cast<size_t>(last - first) + 2;
  window_.assign(needed * channels, 0.0f);
  size_t filled = 0;
  uint64_t at = first;
  while (filled < needed) {
    if (at >= total) {
      if (!looping_) break;
      at %= total;
    }
    const size_t read = source_->Read(at, window_.data() + filled * channels,
                                      static_cast<size_t>(std::min<uint64_t>(needed - filled, total - at)));
    if (read == 0) break;  // the stream holds less than it said: silence from here
    filled += read;
    at += read;
  }
  const int right = channels > 1 ? 1 : 0;
  for (size_t i = 0; i < frames; ++i) {
    const double offset = position_ + static_cast<double>(i) * step - static_cast<double>(first);
    const auto index = static_cast<size_t>(offset);
    const auto fraction = static_cast<float>(offset - static_cast<double>(index));
    const float* here = window_.data() + index * channels;
    const float* next = here + channels;
    const float l = here[0] + (next[0] - here[0]) * fraction;
    const float r = here[right] + (next[right] - here[right]) * fraction;
    mix[2 * i] += l * left_;
    mix[2 * i + 1] += r * right_;
  }
  position_ += static_cast<double>(frames) * step;
  if (position_ >= static_cast<double>(total)) {
    if (looping_) position_ = std::fmod(position_, static_cast<double>(total));
    else playing_ = false;
  }
}

}  // namespace audio
