// The speakers, through the desktop's sound server (PulseAudio, or PipeWire speaking its
// protocol), with the asynchronous API on its own thread: nothing here ever waits for the server.
// The connection never starts a server, and is not tried outside a desktop session (no
// $XDG_RUNTIME_DIR) unless $PULSE_SERVER names a server. A screensaver needs no short latency: the
// server holds about 200 ms of the mix, so that a busy machine does not starve it. When no server
// answers, or the server goes away during the run, the output says so in one line on standard error
// and asks again every few seconds while the run goes on silently; while another process of the user
// holds the speakers it asks for them as often, and plays once that process has gone.
#pragma once
#include <atomic>
#include <memory>

#include "platform/audio/output.h"
#include "platform/audio/sound_lock.h"

struct pa_threaded_mainloop;
struct pa_mainloop_api;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct timeval;

namespace audio {

class Mixer;

class PulseOutput final : public Output {
 public:
  // Null outside a desktop session or when the library cannot start its thread.
  static std::unique_ptr<PulseOutput> Open(Mixer& mixer);
  // Says on standard error how often the server ran dry, if it ever did.
  ~PulseOutput() override;

 private:
  explicit PulseOutput(Mixer& mixer) : mixer_(mixer) {}
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, size_t bytes, void* self);
  static void OnUnderflow(pa_stream* stream, void* self);
  static void OnRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);

  // On the library's thread, with its lock held.
  void Connect();
  // Connects again, or takes the speakers, whichever is missing.
  void Retry();
  void RetryLater();
  // The speakers once this process holds the user's sound lock; otherwise later.
  void TakeSpeakers();
  void StartStream();
  void DropStream();
  void DropContext();

  Mixer& mixer_;
  std::unique_ptr<SoundLock> lock_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_mainloop_api* api_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_time_event* retry_ = nullptr;
  bool played_ = false;  // a stream has played since the last connection
  std::atomic<int> underruns_{0};
};

}  // namespace audio
