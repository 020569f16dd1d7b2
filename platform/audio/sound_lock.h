// One sound per user: several processes of one user (one per monitor, say) each make the mixer,
// but only the one that first holds this lock plays to the speakers; the others keep time
// silently. The lock is a file lock in $XDG_RUNTIME_DIR (else the temporary folder), so it goes
// with the process however that ends.
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
  // Where the lock file lives for this user.
  static std::string Path();

 private:
  int descriptor_ = -1;
};

}  // namespace audio
