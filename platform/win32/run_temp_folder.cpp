#include "platform/win32/run_temp_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/machine/text.h"

namespace {

constexpr char kPrefix[] = "copperleaf-";
constexpr size_t kUniqueLength = 6;  // what mkdtemp puts in place of XXXXXX
constexpr char kOwner[] = "owner";

bool IsRunFolderName(const std::string& name) {
  return name.size() == sizeof kPrefix - 1 + kUniqueLength && name.compare(0, sizeof kPrefix - 1, kPrefix) == 0;
}

// Whether `folder` holds nothing but its owner file.
bool OnlyOwnerLeft(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename() != kOwner) return false;
  }
  return !ec;
}

// The folder of a run that is gone: one of this user's, a real folder (no link), whose owner file
// exists and is not locked by anyone. Taking the lock here also keeps that file's lock from
// anyone else who looks at the same time.
bool GoneRun(int base, const std::string& name, int* ownerLock) {
  struct stat st {};
  if (fstatat(base, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
    return false;
  }
  const std::string owner = name + "/" + kOwner;
  const int fd = openat(base, owner.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  *ownerLock = fd;
  return true;
}

// Removes the folders that runs now gone left under `base` (killed, or crashed).
void RemoveGoneRuns(const std::string& base) {
  const int baseFd = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (baseFd < 0) return;
  DIR* listing = fdopendir(dup(baseFd));
  if (listing == nullptr) {
    close(baseFd);
    return;
  }
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    int ownerLock = -1;
    if (!IsRunFolderName(name) || !GoneRun(baseFd, name, &ownerLock)) continue;
    // The folder is private to this user, so nothing in it can be swapped for a link meanwhile;
    // links found inside are removed, never followed.
    std::error_code ignored;
    std::filesystem::remove_all(base + "/" + name, ignored);
    close(ownerLock);
  }
  closedir(listing);
  close(baseFd);
}

// Where a run's folder may go, in order: the temporary folder ($TMPDIR, else /tmp), the session's
// runtime folder, the user's cache folder (made when missing).
std::vector<std::string> Candidates() {
  std::vector<std::string> places;
  const auto add = [&](std::string place) {
    while (place.size() > 1 && place.back() == '/') place.pop_back();
    places.push_back(std::move(place));
  };
  const char* temporary = std::getenv("TMPDIR");
  add(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') add(runtime);
  std::string cache;
  if (const char* configured = std::getenv("XDG_CACHE_HOME"); configured != nullptr && configured[0] == '/') {
    cache = configured;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    cache = std::string(home) + "/.cache";
  } else if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir[0] == '/') {
    cache = std::string(user->pw_dir) + "/.cache";
  }
  if (!cache.empty()) {
    mkdir(cache.c_str(), 0700);
    add(cache);
  }
  return places;
}

struct RunFolder {
  std::timed_mutex lock;
  std::string path;  // empty until made
  int owner = -1;    // the owner file, locked while the run lives
  pid_t maker = 0;   // a forked child that ends does not remove its parent's folder

  // The run's folder in the first of the places that can hold it; says once when none can.
  bool Make() {
    for (const std::string& parent : Candidates()) {
      if (MakeIn(parent)) return true;
    }
    static bool said = false;
    if (!said) {
      std::fprintf(stderr,
                   "copperleaf: no temporary folder can be written (not in $TMPDIR or /tmp, $XDG_RUNTIME_DIR nor the "
                   "user's cache folder); the scene's music cannot be played\n");
    }
    said = true;
    return false;
  }

  // A folder is taken when it can be made with a path the caller can hold and its owner file can
  // be written (a full file system refuses even that) and locked.
  bool MakeIn(const std::string& parent) {
    RemoveGoneRuns(parent);
    std::string pattern = parent + "/" + kPrefix + "XXXXXX";
    // mkdtemp makes a new folder of mode 0700 under a name nobody had.
    if (mkdtemp(pattern.data()) == nullptr) return false;
    const std::string ownerPath = pattern + "/" + kOwner;
    const bool fits = machine::WideFromUtf8(pattern).size() + 1 < MAX_PATH;
    const int fd = fits ? open(ownerPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600) : -1;
    // The lock is what tells other runs this one lives; the pid tells a person whose folder it is.
    const std::string pid = std::to_string(getpid()) + "\n";
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        write(fd, pid.data(), pid.size()) == static_cast<ssize_t>(pid.size())) {
      path = pattern;
      owner = fd;
      maker = getpid();
      return true;
    }
    if (fd >= 0) {
      unlink(ownerPath.c_str());
      close(fd);
    }
    rmdir(pattern.c_str());
    return false;
  }

  // Only a folder with nothing left in it goes: what is still there is not ours to delete while
  // its writers may use it. Then the owner's lock is given up, so the next run removes it.
  void Remove() {
    if (!path.empty() && maker != getpid()) path.clear();
    if (!path.empty() && owner >= 0 && OnlyOwnerLeft(path)) unlink((path + "/" + kOwner).c_str());
    if (!path.empty()) rmdir(path.c_str());
    if (owner >= 0) close(owner);
    owner = -1;
    path.clear();
  }
};

RunFolder& Folder() {
  // Never destroyed, so that a thread ending the process at once may still discard it while the
  // exit path runs; the exit path removes it in its turn, as a static object's destructor would.
  static RunFolder* folder = [] {
    std::atexit([] {
      RunFolder& made = Folder();
      std::lock_guard guard(made.lock);
      made.Remove();
    });
    return new RunFolder;
  }();
  return *folder;
}

}  // namespace

void win32::ForgetRunTempFolder() {
  RunFolder& folder = Folder();
  std::lock_guard guard(folder.lock);
  folder.Remove();
}

void win32::DiscardRunTempFolder() {
  RunFolder& folder = Folder();
  // A thread starved while it holds the lock must not hold up the end: the next run removes what
  // is left then.
  std::unique_lock guard(folder.lock, std::defer_lock);
  if (!guard.try_lock_for(std::chrono::milliseconds(500)) || folder.path.empty() || folder.maker != getpid()) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder.path, ignored);
  folder.path.clear();
}

DWORD WINAPI GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
  RunFolder& folder = Folder();
  std::lock_guard guard(folder.lock);
  if (folder.path.empty() && !folder.Make()) return 0;
  const std::u16string path = machine::WideFromUtf8(folder.path) + u"/";
  if (buffer == nullptr || bufferLength < path.size() + 1) return static_cast<DWORD>(path.size() + 1);
  path.copy(buffer, path.size());
  buffer[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}
