#include "platform/win32/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <nlohmann/json.hpp>

#include "platform/win32/registry_lock.h"

namespace win32::registry {
namespace {

using nlohmann::json;

constexpr const char* kCurrentUser = "HKEY_CURRENT_USER";
constexpr const char* kClassesRoot = "HKEY_CLASSES_ROOT";

struct ShapeError {
  std::string what;
};

std::string HexOf(const std::vector<BYTE>& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(data.size() * 2);
  for (BYTE b : data) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::u16string NameOf(const std::string& utf8, const std::string& where) {
  auto name = FromUtf8(utf8);
  if (!name) throw ShapeError{"a name that is not UTF-8 in " + where};
  return *name;
}

Value ReadValue(const json& j, const std::string& where) {
  if (!j.is_object() || j.size() != 2 || !j.contains("type") || !j.contains("data"))
    throw ShapeError{where + " is not {\"type\", \"data\"}"};
  const json& type = j["type"];
  const json& data = j["data"];
  if (!type.is_number_unsigned() || type.get<uint64_t>() > 0xFFFFFFFFu)
    throw ShapeError{where + " has a type that is not a 32-bit unsigned number"};
  if (!data.is_string()) throw ShapeError{where + " has data that is not a string of hex digits"};
  const std::string& hex = data.get_ref<const std::string&>();
  if (hex.size() % 2 != 0) throw ShapeError{where + " has an odd number of hex digits"};
  Value value;
  value.type = static_cast<DWORD>(type.get<uint64_t>());
  value.data.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]);
    int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) throw ShapeError{where + " has data that is not hex digits"};
    value.data.push_back(static_cast<BYTE>(high * 16 + low));
  }
  return value;
}

void ReadKey(const json& j, Key& key, const std::string& where, size_t depth) {
  if (!j.is_object()) throw ShapeError{where + " is not an object"};
  for (const auto& [member, content] : j.items()) {
    if (member != "keys" && member != "values") throw ShapeError{where + " has an unknown member \"" + member + "\""};
    if (!content.is_object()) throw ShapeError{where + "/" + member + " is not an object"};
  }
  if (j.contains("keys")) {
    if (depth >= kMaxDepth && !j["keys"].empty()) throw ShapeError{where + " lies deeper than Windows allows"};
    for (const auto& [name, sub] : j["keys"].items()) {
      std::u16string keyName = NameOf(name, where);
      std::string subWhere = where + "\\" + name;
      if (keyName.empty() || keyName.size() > kMaxKeyNameLength || keyName.find(u'\\') != std::u16string::npos)
        throw ShapeError{"a key name that Windows does not allow in " + where};
      auto [it, inserted] = key.keys.try_emplace(keyName);
      if (!inserted) throw ShapeError{"two keys named \"" + name + "\" but for case in " + where};
      ReadKey(sub, it->second, subWhere, depth + 1);
    }
  }
  if (j.contains("values")) {
    for (const auto& [name, content] : j["values"].items()) {
      std::u16string valueName = NameOf(name, where);
      auto [it, inserted] = key.values.try_emplace(valueName);
      if (!inserted) throw ShapeError{"two values named \"" + name + "\" but for case in " + where};
      it->second = ReadValue(content, where + " value \"" + name + "\"");
    }
  }
}

json WriteKey(const Key& key) {
  json keys = json::object();
  for (const auto& [name, sub] : key.keys) keys[*ToUtf8(name)] = WriteKey(sub);
  json values = json::object();
  for (const auto& [name, value] : key.values)
    values[*ToUtf8(name)] = json{{"type", value.type}, {"data", HexOf(value.data)}};
  return json{{"keys", std::move(keys)}, {"values", std::move(values)}};
}

enum class FileRead { kText, kUnfit, kFailed };

// The text of the registry file when it is a regular file of at most kMaxFileSize bytes. Whatever
// else has its name (a folder, a FIFO, a device) is not read (kUnfit), so nothing blocks the start or
// reads on for ever.
FileRead ReadFileText(const std::filesystem::path& path, std::string& text, std::string& problem) {
  auto unfit = [&](const struct stat& st) {
    if (!S_ISREG(st.st_mode)) {
      problem = "it is not a regular file";
      return true;
    }
    if (static_cast<uintmax_t>(st.st_size) > kMaxFileSize) {
      problem = "it is larger than " + std::to_string(kMaxFileSize) + " bytes";
      return true;
    }
    return false;
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    problem = std::strerror(errno);
    return FileRead::kFailed;
  }
  if (unfit(st)) return FileRead::kUnfit;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    problem = std::strerror(errno);
    return FileRead::kFailed;
  }
  // Something else may have taken the name since it was looked at.
  FileRead result = FileRead::kText;
  if (::fstat(fd, &st) != 0 || unfit(st)) result = FileRead::kUnfit;
  char buffer[65536];
  while (result == FileRead::kText) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      problem = std::strerror(errno);
      result = FileRead::kFailed;
    } else if (n == 0) {
      break;
    } else if (text.size() + static_cast<size_t>(n) > kMaxFileSize) {
      problem = "it grew larger than " + std::to_string(kMaxFileSize) + " bytes";
      result = FileRead::kUnfit;
    } else {
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

std::optional<Tree> ParseTree(const std::string& text, std::string& error) {
  json j = json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    error = "not valid JSON";
    return std::nullopt;
  }
  try {
    if (!j.is_object()) throw ShapeError{"the file is not a JSON object"};
    Tree tree;
    for (const auto& [root, content] : j.items()) {
      if (root == kCurrentUser) {
        ReadKey(content, tree.currentUser, root, 0);
      } else if (root == kClassesRoot) {
        ReadKey(content, tree.classesRoot, root, 0);
      } else {
        throw ShapeError{"an unknown root \"" + root + "\""};
      }
    }
    return tree;
  } catch (const ShapeError& e) {
    error = e.what;
    return std::nullopt;
  }
}

std::string SerialiseTree(const Tree& tree) {
  json j{{kCurrentUser, WriteKey(tree.currentUser)}, {kClassesRoot, WriteKey(tree.classesRoot)}};
  return j.dump(2) + "\n";
}

std::filesystem::path DefaultFilePath() {
  std::filesystem::path base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
      const passwd* user = getpwuid(getuid());
      home = user ? user->pw_dir : nullptr;
    }
    if (!home || !home[0]) return {};
    base = std::filesystem::path(home) / ".config";
  }
  return base / "copperleaf" / "registry.json";
}

Store::Store(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<Store::Stamp> Store::StampNow() const {
  struct stat st {};
  if (path_.empty() || ::stat(path_.c_str(), &st) != 0) return std::nullopt;
  return Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

std::filesystem::path Store::LockPath() const {
  std::filesystem::path lock = path_;
  lock += ".lock";
  return lock;
}

Tree& Store::Current() {
  if (!loaded_ && !path_.empty()) {
    // A save under way holds the lock; a temporary file found while no one holds it was left by a
    // program killed in the middle of a save.
    if (FileLock lock = FileLock::TryNow(LockPath()); lock.Held()) RemoveTemporaries();
  }
  if (!loaded_ || StampNow() != stamp_) Load();
  return tree_;
}

void Store::Load() {
  loaded_ = true;
  tree_ = Tree{};
  writable_ = true;
  stamp_ = StampNow();
  if (!stamp_) return;  // no file yet: an empty registry
  std::string text, problem;
  switch (ReadFileText(path_, text, problem)) {
    case FileRead::kText:
      break;
    case FileRead::kUnfit:
      KeepAside(problem);
      return;
    case FileRead::kFailed:
      std::cerr << "copperleaf: cannot read the registry file " << path_ << " (" << problem
                << "); the registry starts empty and will not replace the file\n";
      writable_ = false;
      return;
  }
  std::string error;
  auto tree = ParseTree(text, error);
  if (tree) {
    tree_ = std::move(*tree);
  } else {
    KeepAside(error);
  }
}

void Store::KeepAside(const std::string& reason) {
  std::filesystem::path aside;
  for (int n = 1;; ++n) {
    aside = path_;
    aside += ".corrupt-" + std::to_string(n);
    std::error_code ec;
    // A name taken by anything, a dangling link included, is not reused.
    if (!std::filesystem::exists(std::filesystem::symlink_status(aside, ec))) break;
  }
  std::error_code ec;
  std::filesystem::rename(path_, aside, ec);
  if (ec) {
    std::cerr << "copperleaf: the registry file " << path_ << " cannot be used (" << reason
              << ") nor moved aside (" << ec.message() << "); the registry starts empty and will not replace it\n";
    writable_ = false;
    return;
  }
  std::cerr << "copperleaf: the registry file " << path_ << " cannot be used (" << reason << "); kept as " << aside
            << ", the registry starts empty\n";
  stamp_.reset();
}

void Store::RemoveTemporaries() const {
  const std::string prefix = path_.filename().string() + ".tmp-";
  std::error_code ec;
  for (std::filesystem::directory_iterator it(path_.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool temporary = name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                           std::all_of(name.begin() + prefix.size(), name.end(),
                                       [](char c) { return c >= '0' && c <= '9'; });
    if (temporary) ::unlink(it->path().c_str());
  }
}

LSTATUS Store::Change(const std::function<LSTATUS(Tree&)>& edit) {
  if (path_.empty()) {
    std::cerr << "copperleaf: the registry cannot be saved (no home folder)\n";
    return ERROR_ACCESS_DENIED;
  }
  std::error_code ignored;
  std::filesystem::create_directories(path_.parent_path(), ignored);
  std::string problem;
  // Once a wait has run out, the holder is taken to be stalled: later changes of this start try the
  // lock without waiting, so that a stalled program delays a start by one wait, not one per value.
  const std::chrono::milliseconds longest = lockWaitRanOut_ ? std::chrono::milliseconds{0} : FileLock::kLongestWait;
  const FileLock lock = FileLock::Wait(LockPath(), longest, problem);
  if (!lock.Held()) {
    lockWaitRanOut_ = true;
    std::cerr << "copperleaf: the registry file " << path_ << " cannot be changed: " << problem
              << "; the change is not made\n";
    return ERROR_ACCESS_DENIED;
  }
  RemoveTemporaries();
  // Another process may have saved since the tree was last read: the change goes onto what the file
  // holds now, and no one saves before this change is written.
  Load();
  Tree before = tree_;
  const LSTATUS status = edit(tree_);
  if (status == ERROR_SUCCESS && Commit()) return ERROR_SUCCESS;
  tree_ = std::move(before);
  return status == ERROR_SUCCESS ? ERROR_ACCESS_DENIED : status;
}

bool Store::Commit() {
  if (!writable_) {
    std::cerr << "copperleaf: the registry cannot be saved\n";
    return false;
  }
  const std::string text = SerialiseTree(tree_);
  if (text.size() > kMaxFileSize) {
    std::cerr << "copperleaf: the registry file " << path_ << " would be larger than " << kMaxFileSize
              << " bytes, which no start would read; the change is not made\n";
    return false;
  }
  std::filesystem::path temporary = path_;
  temporary += ".tmp-" + std::to_string(::getpid());
  // Under the lock every earlier temporary file is gone, so the name is free; whatever holds it
  // otherwise is left alone.
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::cerr << "copperleaf: cannot create the registry file " << temporary << " (" << std::strerror(errno)
              << "); the change is not made\n";
    return false;
  }
  auto fail = [&](const char* step) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    std::cerr << "copperleaf: cannot " << step << " the registry file " << path_ << " (" << std::strerror(error)
              << "); the change is not made\n";
    return false;
  };
  for (size_t done = 0; done < text.size();) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("write");
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return fail("flush");
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return fail("close");
  if (::rename(temporary.c_str(), path_.c_str()) != 0) return fail("replace");
  stamp_ = StampNow();
  return true;
}

}  // namespace win32::registry
