#include "platform/audio/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <cstdlib>
#include <vector>

#include "platform/audio/mixer.h"

namespace audio {

namespace {

// About 40 ms queued at the server, topped up every 10 ms: a buffer's Play is heard within 50 ms.
constexpr pa_usec_t kTargetLatency = 40'000;
constexpr pa_usec_t kRequestSize = 10'000;
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
  output->context_ = pa_context_new(pa_threaded_mainloop_get_api(output->loop_), "Copperleaf Screensaver");
  if (output->context_ == nullptr) return nullptr;
  pa_context_set_state_callback(output->context_, &PulseOutput::OnContextState, output.get());
  if (pa_context_connect(output->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    TellSilent("no sound server answers");
    return nullptr;
  }
  if (pa_threaded_mainloop_start(output->loop_) < 0) return nullptr;
  return output;
}

PulseOutput::~PulseOutput() {
  if (loop_ == nullptr) return;
  pa_threaded_mainloop_lock(loop_);
  if (stream_ != nullptr) {
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
  if (context_ != nullptr) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

void PulseOutput::OnContextState(pa_context* context, void* self) {
  auto* output = static_cast<PulseOutput*>(self);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
      // Another process of the user plays already: this one keeps time silently.
      output->lock_ = std::make_unique<SoundLock>();
      if (output->lock_->Held()) output->StartStream();
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      TellSilent(output->stream_ != nullptr ? "the sound server went away" : "no sound server answers");
      break;
    default:
      break;
  }
}

void PulseOutput::StartStream() {
  stream_ = pa_stream_new(context_, "Copperleaf Screensaver", &kSpec, nullptr);
  if (stream_ == nullptr) {
    TellSilent("the sound server refuses a stream");
    return;
  }
  pa_stream_set_state_callback(stream_, &PulseOutput::OnStreamState, this);
  pa_stream_set_write_callback(stream_, &PulseOutput::OnWrite, this);
  pa_buffer_attr attributes;
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatency, &kSpec));
  attributes.prebuf = static_cast<uint32_t>(-1);
  attributes.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRequestSize, &kSpec));
  attributes.fragsize = static_cast<uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                                    PA_STREAM_INTERPOLATE_TIMING);
  if (pa_stream_connect_playback(stream_, nullptr, &attributes, flags, nullptr, nullptr) < 0)
    TellSilent("the sound server refuses a stream");
}

void PulseOutput::OnStreamState(pa_stream* stream, void*) {
  const pa_stream_state_t state = pa_stream_get_state(stream);
  if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) TellSilent("the sound server ended the stream");
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

}  // namespace audio
