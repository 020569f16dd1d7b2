// The C++ source that gives the executable its resource table: the bytes of every resource, the
// table over them and the static object that installs the table before main (resource_table.h).
#pragma once
#include <string>
#include <vector>

#include "tools/rc/compiled_resource.h"

namespace rc {

std::string WriteSource(const std::vector<CompiledResource>& resources, const std::string& scriptName);

}  // namespace rc
