// Whole files named by Windows paths (UTF-16, backslashes), for the D3DX loaders that take a path.
#pragma once
#include <cstdint>
#include <vector>

#include "minwindef.h"

namespace d3dx9 {

// False when the path is null, malformed or names no readable regular file.
bool ReadWholeFile(LPCWSTR path, std::vector<uint8_t>& out);

}  // namespace d3dx9
