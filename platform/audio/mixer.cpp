#include "platform/audio/mixer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/audio/file_sink.h"
#include "platform/audio/pulse_output.h"

namespace audio {

namespace {

constexpr long kSilence = -10000;

// Closes the output when the process ends, so that the speakers fall silent and the file is
// complete; the mixer itself stays for buffers that are released later still.
struct OutputCloser {
  ~OutputCloser() { Mixer::Instance().CloseOutput(); }
};

}  // namespace

float GainOf(long hundredths) {
  if (hundredths <= kSilence) return 0.0f;
  return static_cast<float>(std::pow(10.0, static_cast<double>(hundredths) / 2000.0));
}

void TellSilent(const char* why) {
  static std::atomic<bool> told{false};
  if (told.exchange(true)) return;
  std::fprintf(stderr, "copperleaf: %s; sound keeps time silently\n", why);
}


Mixer& Mixer::Instance() {
  static Mixer* mixer = [] {
    auto* made = new Mixer();
    const char* file = std::getenv("COPPERLEAF_SOUND_FILE");
    if (file != nullptr && *file != '\0') made->UseFileSink(file);
    else made->UseSpeakers();
    return made;
  }();
  static OutputCloser closer;
  return *mixer;
}

std::unique_lock<std::mutex> Mixer::Hold() {
  std::unique_lock<std::mutex> held(lock_);
  if (output_) output_->CatchUp();
  return held;
}

void Mixer::AddVoice(Voice* voice) { voices_.push_back(voice); }

void Mixer::RemoveVoice(Voice* voice) {
  voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
  if (music_ == voice) music_ = nullptr;
}

void Mixer::SetMusic(Voice* voice) { music_ = voice; }

void Mixer::DropMusic(Voice* voice) {
  if (music_ == voice) music_ = nullptr;
}

void Mixer::SetMasterGain(float gain) { master_ = gain; }

namespace {
std::atomic<bool> g_silencedForGood{false};
}  // namespace

void Mixer::SilenceForGood() { g_silencedForGood.store(true); }

void Mixer::RenderHeld(float* out, size_t frames) {
  if (g_silencedForGood.load()) {
    std::fill_n(out, frames * 2, 0.0f);
    return;
  }
  // The master gain is the effect device's own: the music has its volume from its player alone, so
  // a lowered setting does not count twice on it.
  std::fill_n(out, frames * 2, 0.0f);
  for (Voice* voice : voices_) voice->MixInto(out, frames);
  for (size_t i = 0; i < frames * 2; ++i) out[i] *= master_;
  if (music_ != nullptr) music_->MixInto(out, frames);
  for (size_t i = 0; i < frames * 2; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void Mixer::Replace(std::unique_ptr<Output> output) {
  std::unique_ptr<Output> old;
  {
    std::lock_guard<std::mutex> held(lock_);
    old = std::move(output_);
  }
  // The old output goes outside the lock: its thread may be waiting for the lock to pull the mix.
  old.reset();
  std::lock_guard<std::mutex> held(lock_);
  output_ = std::move(output);
}

void Mixer::UseFileSink(const std::string& path) {
  Replace(nullptr);
  Replace(FileSink::Open(*this, path));
}

void Mixer::UseSpeakers() {
  Replace(nullptr);
  Replace(PulseOutput::Open(*this));
}

void Mixer::CloseOutput() { Replace(nullptr); }

}  // namespace audio
