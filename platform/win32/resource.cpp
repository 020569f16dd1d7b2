// FindResourceW and its companions over the module tables, LoadStringW over the string blocks,
// LoadIconW and LoadCursorW.
#include <algorithm>
#include <cstring>
#include <optional>

#include <windows.h>

#include "platform/win32/module.h"
#include "platform/win32/resource_names.h"

namespace win32 {
namespace {

std::optional<ResourceName> NameOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) {
    WORD id = LOWORD(name);
    if (id == 0) return std::nullopt;  // MAKEINTRESOURCEW(0) is a null name: nothing has it
    return ResourceName(id);
  }
  return ResourceName(std::u16string_view(name));
}

bool Matches(const ResourceName& entry, const ResourceName& wanted) {
  if (wanted.id != 0) return entry.id == wanted.id;
  return entry.id == 0 && EqualNoCase(entry.text, wanted.text);
}

const Resource* Find(HMODULE module, LPCWSTR name, LPCWSTR type) {
  auto table = ModuleResources(module);
  auto wantedName = NameOf(name);
  auto wantedType = NameOf(type);
  if (!table || !wantedName || !wantedType) return nullptr;
  for (const Resource& entry : *table)
    if (Matches(entry.type, *wantedType) && Matches(entry.name, *wantedName)) return &entry;
  return nullptr;
}

// The entry an HRSRC names, when it is one of the module's own; any other value is refused rather
// than followed.
const Resource* EntryOf(HMODULE module, HRSRC resource) {
  auto table = ModuleResources(module);
  if (!table || !resource) return nullptr;
  for (const Resource& entry : *table)
    if (reinterpret_cast<HRSRC>(const_cast<Resource*>(&entry)) == resource) return &entry;
  return nullptr;
}

// An empty resource still loads, to a valid pointer with nothing behind it.
const BYTE kNothing = 0;

}  // namespace
}  // namespace win32

using namespace win32;

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return reinterpret_cast<HRSRC>(const_cast<Resource*>(Find(module, name, type)));
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
  const Resource* entry = EntryOf(module, resource);
  return entry ? static_cast<DWORD>(entry->data.size()) : 0;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
  const Resource* entry = EntryOf(module, resource);
  if (!entry) return nullptr;
  return const_cast<BYTE*>(entry->data.empty() ? &kNothing : entry->data.data());
}

LPVOID WINAPI LockResource(HGLOBAL resourceData) { return resourceData; }

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int capacity) {
  if (!buffer || capacity < 0) return 0;
  if (capacity > 0) buffer[0] = 0;
  if (id > 0xFFFF) return 0;
  const Resource* block = Find(instance, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
  if (!block) return 0;
  // Walk the block's length-prefixed strings to the wanted one; a block that ends early holds no more.
  const BYTE* at = block->data.data();
  size_t left = block->data.size();
  WORD length = 0;
  for (UINT index = 0;; ++index) {
    if (left < 2) return 0;
    std::memcpy(&length, at, 2);
    at += 2;
    left -= 2;
    if (size_t{length} * 2 > left) return 0;
    if (index == id % 16) break;
    at += size_t{length} * 2;
    left -= size_t{length} * 2;
  }
  if (length == 0) return 0;
  if (capacity == 0) {
    // As on Windows: the caller gets the resource's own text. It cannot be handed out from a table
    // whose strings are not aligned for WCHAR.
    if (reinterpret_cast<uintptr_t>(at) % alignof(WCHAR) != 0) return 0;
    const WCHAR* text = reinterpret_cast<const WCHAR*>(at);
    std::memcpy(buffer, &text, sizeof text);
    return length;
  }
  int copied = std::min<int>(length, capacity - 1);
  std::memcpy(buffer, at, size_t(copied) * 2);
  buffer[copied] = 0;
  return copied;
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  // No system icons are supplied: a null instance finds nothing.
  if (!instance) return nullptr;
  return reinterpret_cast<HICON>(const_cast<Resource*>(Find(instance, name, RT_GROUP_ICON)));
}

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  // The standard arrow is the only cursor there is; nothing draws it, so a token handle serves.
  static HICON__ arrow{};
  if (!instance && name == IDC_ARROW) return &arrow;
  return nullptr;
}
