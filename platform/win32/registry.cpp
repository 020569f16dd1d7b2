// The Reg* functions over the store: open keys are remembered by root and path, not by node, so a
// tree read again from the file (another process wrote it) leaves every handle meaningful.
#include "platform/win32/registry.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/win32/registry_defaults.h"
#include "platform/win32/registry_store.h"

namespace win32 {
namespace {

using registry::Key;
using registry::Tree;

// The access rights the calls check, by their documented values.
constexpr REGSAM kQueryValue = 0x0001;
constexpr REGSAM kSetValue = 0x0002;
constexpr REGSAM kCreateSubKey = 0x0004;

struct OpenKey {
  bool classesRoot = false;
  std::vector<std::u16string> path;
  REGSAM access = KEY_ALL_ACCESS;
  bool pending = false;  // created by RegCreateKeyExW and not in the file yet: empty until a value is set
};

struct State {
  std::filesystem::path file = registry::DefaultFilePath();
  registry::Store store{file};
  std::map<uintptr_t, OpenKey> open;
  uintptr_t next = 0x1000;  // handles are multiples of 4, as on Windows, and never a root's value
};

std::unique_ptr<State>& Slot() {
  static std::unique_ptr<State> state;
  return state;
}

State& Get() {
  auto& state = Slot();
  if (!state) state = std::make_unique<State>();
  return *state;
}

std::optional<OpenKey> Resolve(HKEY key) {
  if (key == HKEY_CURRENT_USER) return OpenKey{false, {}, KEY_ALL_ACCESS};
  if (key == HKEY_CLASSES_ROOT) return OpenKey{true, {}, KEY_ALL_ACCESS};
  auto& open = Get().open;
  auto it = open.find(reinterpret_cast<uintptr_t>(key));
  if (it == open.end()) return std::nullopt;
  return it->second;
}

Key* Walk(Tree& tree, const OpenKey& open) {
  Key* key = open.classesRoot ? &tree.classesRoot : &tree.currentUser;
  for (const auto& name : open.path) {
    auto it = key->keys.find(name);
    if (it == key->keys.end()) return nullptr;
    key = &it->second;
  }
  return key;
}

// The key, with whatever part of its path is missing made.
Key& Make(Tree& tree, const OpenKey& open) {
  Key* key = open.classesRoot ? &tree.classesRoot : &tree.currentUser;
  // Keys another process made in the meantime are kept as they are.
  for (const auto& name : open.path) key = &key->keys[name];
  return *key;
}

// The key the desktop provides at that place under the classes root, if any.
const Key* DesktopKey(const OpenKey& open) {
  if (!open.classesRoot) return nullptr;
  const Key* key = &registry::DesktopClasses();
  for (const auto& name : open.path) {
    auto it = key->keys.find(name);
    if (it == key->keys.end()) return nullptr;
    key = &it->second;
  }
  return key;
}

size_t Length(LPCWSTR text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// The components of a subkey path; one trailing backslash is dropped, as Windows accepts it. Null when
// a component is empty, too long or not well-formed UTF-16 (the file could not hold it).
std::optional<std::vector<std::u16string>> SplitPath(LPCWSTR subKey) {
  std::vector<std::u16string> parts;
  std::u16string_view rest(subKey, Length(subKey));
  if (!rest.empty() && rest.back() == u'\\') rest.remove_suffix(1);
  if (rest.empty()) return parts;
  for (;;) {
    size_t cut = rest.find(u'\\');
    std::u16string_view part = rest.substr(0, cut);
    if (part.empty() || part.size() > registry::kMaxKeyNameLength || !ToUtf8(part)) return std::nullopt;
    parts.emplace_back(part);
    if (cut == std::u16string_view::npos) return parts;
    rest.remove_prefix(cut + 1);
  }
}

HKEY NewHandle(OpenKey open) {
  State& state = Get();
  uintptr_t value = state.next;
  state.next += 4;
  state.open.emplace(value, std::move(open));
  return reinterpret_cast<HKEY>(value);
}

LSTATUS OpenOrCreate(HKEY key, LPCWSTR subKey, REGSAM access, PHKEY result, LPDWORD disposition, bool create) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto base = Resolve(key);
  if (!base) return ERROR_INVALID_HANDLE;
  auto parts = SplitPath(subKey ? subKey : u"");
  if (!parts || base->path.size() + parts->size() > registry::kMaxDepth) return ERROR_INVALID_PARAMETER;

  State& state = Get();
  Key* node = Walk(state.store.Current(), *base);
  if (!node && !base->pending && !DesktopKey(*base)) return ERROR_KEY_DELETED;
  bool missing = node == nullptr;
  OpenKey opened = *base;
  for (const auto& part : *parts) {
    if (!missing) {
      auto it = node->keys.find(part);
      if (it != node->keys.end()) {
        // The handle names the key by the spelling it was created with, whatever case the caller used.
        opened.path.push_back(it->first);
        node = &it->second;
        continue;
      }
      missing = true;
    }
    opened.path.push_back(part);
  }
  if (missing && !create && DesktopKey(opened) != nullptr) {
    // A key the file lacks may still be one the desktop provides; it is read from there.
    if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
    opened.access = access;
    *result = NewHandle(std::move(opened));
    return ERROR_SUCCESS;
  }
  if (missing && !(create || (parts->empty() && base->pending))) return ERROR_FILE_NOT_FOUND;
  if (missing && create && !(base->access & kCreateSubKey)) return ERROR_ACCESS_DENIED;
  // A key made only to read it is not written: it is saved with the first value set in it, so
  // that reading settings never changes the file (nor waits for the lock of those who do).
  opened.pending = missing;
  if (disposition) *disposition = missing ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  opened.access = access;
  *result = NewHandle(std::move(opened));
  return ERROR_SUCCESS;
}

}  // namespace

std::filesystem::path RegistryFile() { return Get().file; }

void RestartRegistry() { Slot().reset(); }

}  // namespace win32

using namespace win32;

LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access,
                               struct _SECURITY_ATTRIBUTES*, PHKEY result, LPDWORD disposition) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  return OpenOrCreate(key, subKey, access, result, disposition, true);
}

LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenOrCreate(key, subKey, access, result, nullptr, false);
}

LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  auto open = Resolve(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  if (!(open->access & kQueryValue)) return ERROR_ACCESS_DENIED;
  const Key* node = Walk(Get().store.Current(), *open);
  const Key* desktop = DesktopKey(*open);
  if (!node && !desktop) return open->pending ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
  // A value the file holds comes first; one it lacks may be the desktop's.
  const std::u16string name = valueName ? std::u16string(valueName) : std::u16string();
  const registry::Value* found = nullptr;
  for (const Key* key : {node, desktop}) {
    if (key == nullptr || found != nullptr) continue;
    if (auto it = key->values.find(name); it != key->values.end()) found = &it->second;
  }
  if (!found) return ERROR_FILE_NOT_FOUND;
  const registry::Value& value = *found;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  if (!data) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  // Unlike Windows, which leaves the buffer's contents undefined here, a short buffer is not touched,
  // so a caller's default survives a value of the wrong size.
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  std::copy(value.data.begin(), value.data.end(), data);
  *dataSize = size;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  auto open = Resolve(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  if (!(open->access & kSetValue)) return ERROR_ACCESS_DENIED;
  std::u16string name = valueName ? std::u16string(valueName) : std::u16string();
  if (!ToUtf8(name)) return ERROR_INVALID_PARAMETER;
  registry::Value value{type, std::vector<BYTE>(data, data + dataSize)};
  return Get().store.Change([&](Tree& tree) -> LSTATUS {
    Key* node = open->pending ? &Make(tree, *open) : Walk(tree, *open);
    if (!node) return ERROR_KEY_DELETED;
    // A value keeps the spelling of its first name; a write in another case replaces its content.
    auto it = node->values.find(name);
    if (it == node->values.end()) {
      node->values.emplace(name, value);
    } else {
      it->second = value;
    }
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
  return Get().open.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
