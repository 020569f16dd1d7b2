// The resource compiler as the build runs it:
//   copperleaf_rc SCRIPT.rc OUTPUT.cpp [DEPFILE [SEARCH_FOLDER...]]
// On a fault it reports "SCRIPT.rc:LINE: error: ..." and leaves no output behind, so that the build
// stops instead of linking an empty or stale table.
#pragma once
#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

namespace rc {

int RunCompiler(const std::filesystem::path& script, const std::filesystem::path& output,
                const std::optional<std::filesystem::path>& depfile, std::ostream& errors,
                const std::vector<std::filesystem::path>& searchFolders = {});

}  // namespace rc
