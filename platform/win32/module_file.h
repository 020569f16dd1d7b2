// Libraries as files: a module of the stand-in is a shared library that lies beside the executable
// and hands out its resource table through one exported function.
#pragma once
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/win32/resource_table.h"

namespace win32 {

// The function every module file exports, made by the resource compiler from the module's script.
inline constexpr char kModuleResourcesSymbol[] = "CopperleafModuleResources";
using ModuleResourcesFunction = const Resource* (*)(size_t* count);

// The folder that holds the running executable; empty when it cannot be told.
std::filesystem::path ExecutableFolder();

// Loads the module file of that name from the executable's folder and returns its resource table.
// Only a bare file name is looked up: a name with a folder in it, a missing file, a file that is not
// a shared library or one without the resource function gives nothing. A loaded file stays loaded.
std::optional<ResourceTable> LoadModuleFile(std::u16string_view fileName);

// As above, from the given folder (tests load a module file made for them).
std::optional<ResourceTable> LoadModuleFile(const std::filesystem::path& folder, std::u16string_view fileName);

}  // namespace win32
