#include "platform/win32/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include <nlohmann/json.hpp>

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

Tree& Store::Current() {
  if (!loaded_ || StampNow() != stamp_) Load();
  return tree_;
}

void Store::Load() {
  loaded_ = true;
  tree_ = Tree{};
  writable_ = true;
  stamp_ = StampNow();
  if (!stamp_) return;  // no file yet: an empty registry
  std::ifstream in(path_, std::ios::binary);
  std::string text;
  if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.is_open() || in.bad()) {
    std::cerr << "copperleaf: cannot read the registry file " << path_ << " (" << std::strerror(errno)
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
    if (!std::filesystem::exists(aside, ec)) break;
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

bool Store::Commit() {
  if (!writable_ || path_.empty()) {
    std::cerr << "copperleaf: the registry cannot be saved" << (path_.empty() ? " (no home folder)" : "") << "\n";
    return false;
  }
  std::error_code ignored;
  std::filesystem::create_directories(path_.parent_path(), ignored);
  std::filesystem::path temporary = path_;
  temporary += ".tmp-" + std::to_string(::getpid());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  auto fail = [&](const char* step) {
    int error = errno;
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    std::cerr << "copperleaf: cannot " << step << " the registry file " << path_ << " (" << std::strerror(error)
              << "); the change is not made\n";
    return false;
  };
  if (fd < 0) return fail("create");
  const std::string text = SerialiseTree(tree_);
  for (size_t done = 0; done < text.size();) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("write");
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return fail("flush");
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return fail("close");
  if (::rename(temporary.c_str(), path_.c_str()) != 0) return fail("replace");
  stamp_ = StampNow();
  return true;
}

}  // namespace win32::registry
