// One sound per user: several processes of one user (one per monitor, say) each make the mixer,
// but only the one that holds this lock plays to the speakers; the others keep time silently and ask
// again now and then. The lock is a file lock, so it goes with the process however that ends. It
// lives where no other user can plant a file or a link under its name: in $XDG_RUNTIME_DIR, else in a
// folder of the user's own (mode 0700) in the temporary folder. A place that is not private (a link,
// a folder of someone else's or open to others, a link or a foreign file under the lock's name) is
// never followed or used: the lock then cannot be had at all, which is told apart from another
// process holding it, so that the caller can play without it rather than wait for ever.
#pragma once
#include <string>

namespace audio {

class SoundLock {
 public:
  // Tries once, never waits.
  SoundLock();
  ~SoundLock();
  SoundLock(const SoundLock&) = delete;
  SoundLock& operator=(const SoundLock&) = delete;

  bool Held() const { return descriptor_ >= 0; }
  // Why the lock cannot be had here, in a few words; empty when it is held or another process
  // holds it.
  const std::string& Unusable() const { return unusable_; }
  // Where the lock file lives for this user.
  static std::string Path();

 private:
  int descriptor_ = -1;
  std::string unusable_;
};

}  // namespace audio
