#include "platform/audio/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/machine/normal_priority.h"

namespace audio {

namespace {

// About 200 ms queued at the server, topped up every 25 ms; playback begins (and, after the server
// ran dry, begins again) once 100 ms are there. A buffer's Play is heard within a quarter second.
constexpr pa_usec_t kTargetLatency = 200'000;
constexpr pa_usec_t kStartLevel = 100'000;
constexpr pa_usec_t kRequestSize = 25'000;
constexpr pa_usec_t kRetryInterval = 2'000'000;
constexpr pa_sample_spec kSpec = {PA_SAMPLE_S16LE, kOutputRate, 2};

int16_t ToPcm16(float sample) {
  const float scaled = sample * 32767.0f;
  return static_cast<int16_t>(scaled >= 0 ? scaled + 0.5f : scaled - 0.5f);
}

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::Open(Mixer& mixer) {
  // A desktop session names its runtime folder, where its sound server listens; without one, and
  // with no server named, there is none to find, and asking the library anyway would leave a
  // runtime folder of its own in the temporary folder.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* server = std::getenv("PULSE_SERVER");
  if ((runtime == nullptr || *runtime == '\0') && (server == nullptr || *server == '\0')) {
    TellSilent("no sound server answers");
    return nullptr;
  }
  std::unique_ptr<PulseOutput> output(new PulseOutput(mixer));
  output->loop_ = pa_threaded_mainloop_new();
  if (output->loop_ == nullptr) return nullptr;
  output->api_ = pa_threaded_mainloop_get_api(output->loop_);
  // The loop's thread mixes and feeds the server: it keeps normal priority under an idle program.
  pa_threaded_mainloop_set_name(output->loop_, machine::kSoundOutputThreadName);
  int started = -1;
  machine::AtNormalPriority([&] { started = pa_threaded_mainloop_start(output->loop_); });
  if (started < 0) return nullptr;
  pa_threaded_mainloop_lock(output->loop_);
  output->Connect();
  pa_threaded_mainloop_unlock(output->loop_);
  return output;
}

PulseOutput::~PulseOutput() {
  if (loop_ == nullptr) return;
  pa_threaded_mainloop_lock(loop_);
  if (retry_ != nullptr) api_->time_free(retry_);
  retry_ = nullptr;
  DropContext();
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
  if (underruns_ > 0)
    std::fprintf(stderr, "copperleaf: the sound server ran out of sound %d times\n", underruns_.load());
}

void PulseOutput::Connect() {
  played_ = false;
  context_ = pa_context_new(api_, "Copperleaf Screensaver");
  if (context_ == nullptr) return RetryLater();
  pa_context_set_state_callback(context_, &PulseOutput::OnContextState, this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    TellSilent("no sound server answers");
    RetryLater();
  }
}

void PulseOutput::OnContextState(pa_context* context, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
      output->TakeSpeakers();
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      TellSilent(output->played_ ? "the sound server went away" : "no sound server answers");
      // The context goes on the timer: not from inside its own callback.
      output->RetryLater();
      break;
    default:
      break;
  }
}

void PulseOutput::RetryLater() {
  if (retry_ != nullptr) return;
  timeval when{};
  pa_timeval_add(pa_gettimeofday(&when), kRetryInterval);
  retry_ = api_->time_new(api_, &when, &PulseOutput::OnRetry, this);
}

void PulseOutput::OnRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  api->time_free(event);
  output->retry_ = nullptr;
  output->Retry();
}

void PulseOutput::Retry() {
  if (context_ == nullptr || pa_context_get_state(context_) != PA_CONTEXT_READY) {
    DropContext();
    Connect();
    return;
  }
  if (stream_ != nullptr) {
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_READY || state == PA_STREAM_CREATING) return;
    DropStream();
  }
  TakeSpeakers();
}

void PulseOutput::TakeSpeakers() {
  // One process of the user plays at a time; the others keep time silently until it goes. Where the
  // lock cannot be had at all, waiting for it would be silence for good: the run plays without it.
  if (lock_ == nullptr || !lock_->Held()) lock_ = std::make_unique<SoundLock>();
  if (lock_->Held()) return StartStream();
  if (lock_->Unusable().empty()) return RetryLater();
  static std::atomic<bool> told{false};
  if (!told.exchange(true))
    std::fprintf(stderr, "copperleaf: %s; sound plays without the lock that keeps one sound per user\n",
                 lock_->Unusable().c_str());
  StartStream();
}

void PulseOutput::StartStream() {
  stream_ = pa_stream_new(context_, "Copperleaf Screensaver", &kSpec, nullptr);
  if (stream_ == nullptr) {
    TellSilent("the sound server refuses a stream");
    return RetryLater();
  }
  pa_stream_set_state_callback(stream_, &PulseOutput::OnStreamState, this);
  pa_stream_set_write_callback(stream_, &PulseOutput::OnWrite, this);
  pa_stream_set_underflow_callback(stream_, &PulseOutput::OnUnderflow, this);
  pa_buffer_attr attributes;
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatency, &kSpec));
  attributes.prebuf = static_cast<uint32_t>(pa_usec_to_bytes(kStartLevel, &kSpec));
  attributes.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRequestSize, &kSpec));
  attributes.fragsize = static_cast<uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
  if (pa_stream_connect_playback(stream_, nullptr, &attributes, flags, nullptr, nullptr) < 0) {
    TellSilent("the sound server refuses a stream");
    RetryLater();
  }
}

void PulseOutput::OnStreamState(pa_stream* stream, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  const pa_stream_state_t state = pa_stream_get_state(stream);
  if (state == PA_STREAM_READY) output->played_ = true;
  if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
    TellSilent("the sound server ended the stream");
    output->RetryLater();
  }
}

void PulseOutput::OnWrite(pa_stream* stream, size_t bytes, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  const size_t frames = bytes / pa_frame_size(&kSpec);
  if (frames == 0) return;
  std::vector<float> mix(frames * 2);
  {
    std::lock_guard<std::mutex> held(output->mixer_.Lock());
    output->mixer_.RenderHeld(mix.data(), frames);
  }
  std::vector<int16_t> pcm(frames * 2);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = ToPcm16(mix[i]);
  pa_stream_write(stream, pcm.data(), pcm.size() * sizeof(int16_t), nullptr, 0, PA_SEEK_RELATIVE);
}

void PulseOutput::OnUnderflow(pa_stream*, void* self) { ++static_cast<PulseOutput*>(self)->underruns_; }

void PulseOutput::DropStream() {
  if (stream_ == nullptr) return;
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
  if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void PulseOutput::DropContext() {
  DropStream();
  if (context_ == nullptr) return;
  pa_context_set_state_callback(context_, nullptr, nullptr);
  const pa_context_state_t state = pa_context_get_state(context_);
  if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED) pa_context_disconnect(context_);
  pa_context_unref(context_);
  context_ = nullptr;
}

}  // namespace audio
