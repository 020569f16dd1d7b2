// What the stand-in's registry offers besides the Reg* functions: where it lives, and a restart.
#pragma once
#include <filesystem>

namespace win32 {

// The file the registry is kept in (see registry_store.h), as chosen when the registry was first used.
std::filesystem::path RegistryFile();

// Forgets the registry held in memory and closes every open key, as a new process would start; the
// next call reads the file again (from $XDG_CONFIG_HOME as it is then).
void RestartRegistry();

}  // namespace win32
