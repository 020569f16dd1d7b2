// The C++ source that gives a module its resource table: the bytes of every resource and the table
// over them. For the executable a static object installs the table before main (resource_table.h);
// a library file exports the function that LoadLibraryW asks for the table (module_file.h).
#pragma once
#include <string>
#include <vector>

#include "tools/rc/compiled_resource.h"

namespace rc {

enum class ModuleKind { Executable, Library };

std::string WriteSource(const std::vector<CompiledResource>& resources, const std::string& scriptName,
                        ModuleKind kind = ModuleKind::Executable);

}  // namespace rc
