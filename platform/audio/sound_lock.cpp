#include "platform/audio/sound_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace audio {

std::string SoundLock::Path() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/copperleaf-sound.lock";
  const char* temp = std::getenv("TMPDIR");
  std::string folder = temp != nullptr && *temp != '\0' ? temp : "/tmp";
  // The shared temporary folder holds one lock per user, named by the user.
  return folder + "/copperleaf-sound-" + std::to_string(getuid()) + ".lock";
}

SoundLock::SoundLock() {
  // Never through a link someone planted, and only a file of our own.
  const int descriptor = open(Path().c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (descriptor < 0) return;
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != getuid() ||
      flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    close(descriptor);
    return;
  }
  descriptor_ = descriptor;
}

SoundLock::~SoundLock() {
  if (descriptor_ >= 0) close(descriptor_);
}

}  // namespace audio
