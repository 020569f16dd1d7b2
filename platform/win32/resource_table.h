// The resources of a module as the stand-in holds them: a table of (type, name, bytes) entries that
// FindResourceW searches. The resource compiler generates the executable's table; tests make their own.
//
// Entries are laid out as the Windows resource compiler lays them out, so that the usual readers
// work on them: strings in blocks of 16 (type RT_STRING, name = id / 16 + 1, each string a WORD
// length and that many UTF-16 units), an icon file split into its images (RT_ICON) and a directory
// of them (RT_GROUP_ICON), files of custom types as their bytes.
#pragma once
#include <span>
#include <string_view>

#include <windows.h>

namespace win32 {

// A resource type or name: an integer id (never 0), or a string that is compared without case.
struct ResourceName {
  constexpr ResourceName(WORD number) : id(number) {}
  constexpr ResourceName(std::u16string_view name) : text(name) {}
  WORD id = 0;
  std::u16string_view text;  // used when id is 0
};

struct Resource {
  ResourceName type;
  ResourceName name;
  std::span<const BYTE> data;  // lives as long as the module
};

using ResourceTable = std::span<const Resource>;

// Gives a module (null: the executable) its table and returns the one it had; the table must outlive
// its use. Tests restore the previous table when they are done.
ResourceTable SetModuleResources(HMODULE module, ResourceTable table);

// The generated resource file holds one of these, so that the executable has its table before main.
struct ExecutableResources {
  explicit ExecutableResources(ResourceTable table) { SetModuleResources(nullptr, table); }
};

}  // namespace win32
