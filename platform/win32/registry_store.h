// The registry's keys and values in memory, and the JSON file that holds them between runs.
//
// The file holds one object per root, "HKEY_CURRENT_USER" and "HKEY_CLASSES_ROOT"; a key is an object
// with "keys" (its subkeys by name) and "values" (by name, each {"type": n, "data": "hex bytes"}).
// Data is kept as the exact bytes the caller stored, so a string without its terminating NUL or a
// binary blob reads back unchanged.
#pragma once
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/win32/resource_names.h"

namespace win32::registry {

// Windows' own limit on the depth of a key below its root; it also bounds the work a hostile file
// can cause.
constexpr size_t kMaxDepth = 512;
// Windows' limit on the length of one key name.
constexpr size_t kMaxKeyNameLength = 255;

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const Value&) const = default;
};

struct Key {
  std::map<std::u16string, Key, LessNoCase> keys;
  std::map<std::u16string, Value, LessNoCase> values;
  bool operator==(const Key&) const = default;
};

struct Tree {
  Key currentUser;
  Key classesRoot;
  bool operator==(const Tree&) const = default;
};

// The tree a file's text describes, or null with the reason in `error` (not JSON, a wrong shape,
// two names that differ only in case, a name or depth beyond Windows' limits).
std::optional<Tree> ParseTree(const std::string& text, std::string& error);
std::string SerialiseTree(const Tree& tree);

// $XDG_CONFIG_HOME/copperleaf/registry.json, with ~/.config when the variable is unset or not an
// absolute path; empty when there is no home folder either.
std::filesystem::path DefaultFilePath();

// The largest registry file read, and written: far beyond any settings, well short of exhausting
// memory with a hostile file.
constexpr size_t kMaxFileSize = 8 << 20;

// The tree kept in step with its file. Every change is written at once, atomically (a temporary file
// renamed over the old one), so a crash never leaves half a file. Another process that writes the
// file in between is noticed and its tree read before the next call; changes are made under a lock
// (registry_lock.h), so two processes changing the registry at once lose nothing.
class Store {
 public:
  explicit Store(std::filesystem::path path);

  // The tree as the file holds it now.
  Tree& Current();
  // Applies `edit` to the tree as the file holds it under the lock and writes the result. An edit
  // that does not return ERROR_SUCCESS writes nothing; when the file cannot be written the change
  // is undone and refused (ERROR_ACCESS_DENIED), with a message on standard error.
  LSTATUS Change(const std::function<LSTATUS(Tree&)>& edit);

 private:
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    bool operator==(const Stamp& o) const {
      return device == o.device && inode == o.inode && size == o.size &&
             modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
  };
  std::optional<Stamp> StampNow() const;
  std::filesystem::path LockPath() const;
  void Load();
  void KeepAside(const std::string& reason);
  void RemoveTemporaries() const;
  bool Commit();

  std::filesystem::path path_;
  Tree tree_;
  std::optional<Stamp> stamp_;  // of the file tree_ was read from or written to; null: no file
  bool loaded_ = false;
  bool writable_ = true;  // false while a file we could not read or move aside must not be replaced
  bool lockWaitRanOut_ = false;  // a change of this start waited for the lock in vain
};

}  // namespace win32::registry
