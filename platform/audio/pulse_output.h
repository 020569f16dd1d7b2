// The speakers, through the desktop's sound server (PulseAudio, or PipeWire speaking its
// protocol), with the asynchronous API on its own thread: nothing here ever waits for the server.
// The connection never starts a server, and is not tried outside a desktop session (no
// $XDG_RUNTIME_DIR) unless $PULSE_SERVER names a server. When none answers, or the server goes away during the
// run, the output falls silent with one line on standard error and the run goes on.
#pragma once
#include <memory>

#include "platform/audio/output.h"
#include "platform/audio/sound_lock.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace audio {

class Mixer;

class PulseOutput final : public Output {
 public:
  // Null when the connection cannot begin. The speakers are taken only once a server answers, and
  // only when no other process of this user holds them (so a machine without a server never makes
  // the lock file).
  static std::unique_ptr<PulseOutput> Open(Mixer& mixer);
  ~PulseOutput() override;

 private:
  explicit PulseOutput(Mixer& mixer) : mixer_(mixer) {}
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, size_t bytes, void* self);
  void StartStream();

  Mixer& mixer_;
  std::unique_ptr<SoundLock> lock_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
};

}  // namespace audio
