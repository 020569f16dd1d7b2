// The speakers, through the desktop's sound server (PulseAudio, or PipeWire speaking its
// protocol), with the asynchronous API on its own thread: nothing here ever waits for the server.
// The connection never starts a server. When none answers, or the server goes away during the
// run, the output falls silent with one line on standard error and the run goes on.
#pragma once
#include <atomic>
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
  // Null when another process of this user holds the speakers or the connection cannot begin.
  static std::unique_ptr<PulseOutput> Open(Mixer& mixer);
  ~PulseOutput() override;

  // Whether the stream to the server is playing (tests wait for it).
  bool Playing() const { return playing_; }

 private:
  explicit PulseOutput(Mixer& mixer) : mixer_(mixer) {}
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, size_t bytes, void* self);
  void StartStream();

  Mixer& mixer_;
  SoundLock lock_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  std::atomic<bool> playing_{false};
};

}  // namespace audio
