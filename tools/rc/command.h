// The resource compiler as the build runs it:
//   copperleaf_rc [--library] SCRIPT.rc OUTPUT.cpp [DEPFILE [SEARCH_FOLDER...]]
// (--library: the table of a library file rather than of the executable)
// On a fault it reports "SCRIPT.rc:LINE: error: ..." and leaves no output behind, so that the build
// stops instead of linking an empty or stale table.
#pragma once
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "tools/rc/source_writer.h"

namespace rc {

int RunCompiler(const std::filesystem::path& script, const std::filesystem::path& output,
                const std::optional<std::filesystem::path>& depfile, std::ostream& errors,
                const std::vector<std::filesystem::path>& searchFolders = {},
                ModuleKind kind = ModuleKind::Executable);

}  // namespace rc
