#include "platform/audio/sound_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace audio {

namespace {

constexpr char kLockName[] = "copperleaf-sound.lock";

std::string RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr ? runtime : "";
}

// The user's own folder in the shared temporary folder.
std::string PrivateFolder() {
  const char* temp = std::getenv("TMPDIR");
  const std::string folder = temp != nullptr && *temp != '\0' ? temp : "/tmp";
  return folder + "/copperleaf-" + std::to_string(getuid());
}

// The folder opened without following a link, when it is the user's and nobody else's: -1 otherwise.
int OpenOwnFolder(const std::string& path, bool shared) {
  const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return -1;
  struct stat status {};
  // The runtime folder is the session's and private by its contract; a folder in the temporary
  // folder must be this user's and closed to everyone else.
  if (fstat(folder, &status) != 0 || status.st_uid != getuid() || (!shared && (status.st_mode & 077) != 0)) {
    close(folder);
    return -1;
  }
  return folder;
}

}  // namespace

std::string SoundLock::Path() {
  const std::string runtime = RuntimeFolder();
  return (runtime.empty() ? PrivateFolder() : runtime) + "/" + kLockName;
}

SoundLock::SoundLock() {
  const std::string runtime = RuntimeFolder();
  const std::string place = runtime.empty() ? PrivateFolder() : runtime;
  if (runtime.empty()) mkdir(place.c_str(), 0700);  // an existing folder is checked below
  const int folder = OpenOwnFolder(place, !runtime.empty());
  if (folder < 0) {
    unusable_ = place + " is not a folder of this user's alone";
    return;
  }
  // Never through a link, and only a file of our own.
  const int descriptor = openat(folder, kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  close(folder);
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != getuid()) {
    unusable_ = Path() + " is not a file of this user's";
  } else if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
    descriptor_ = descriptor;
    return;
  } else if (errno != EWOULDBLOCK) {
    unusable_ = Path() + " cannot be locked";
  }
  if (descriptor >= 0) close(descriptor);
}

SoundLock::~SoundLock() {
  if (descriptor_ >= 0) close(descriptor_);
}

}  // namespace audio
