// The modules LoadLibraryW can find. The executable's own module always exists; any other library
// exists only once registered, so by default every LoadLibraryW fails, as on a machine without it.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "platform/win32/resource_table.h"

namespace win32 {

struct ModuleExport {
  std::string name;
  FARPROC function;
};

// Makes a library known under its file name (compared without case). The handle stays the same
// across loads and frees, until UnregisterModule.
HMODULE RegisterModule(std::u16string fileName, std::vector<ModuleExport> exports, ResourceTable resources = {});
void UnregisterModule(HMODULE module);

// How often LoadLibraryW was asked for this file name (compared without case), found or not.
int LoadLibraryCalls(std::u16string_view fileName);

// The table of the executable (for a null handle too) or of a loaded library; null for any other handle.
std::optional<ResourceTable> ModuleResources(HMODULE module);

}  // namespace win32
