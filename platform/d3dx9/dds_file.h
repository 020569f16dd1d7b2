// DDS files: a picture with its mip levels stored in a texel format of the device, so that a bump
// map keeps its signed offsets (V8U8) instead of passing through an unsigned image format.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <d3d9.h>

#include "platform/d3dx9/picture.h"

namespace d3dx9 {

struct DdsFile {
  D3DFORMAT format = D3DFMT_UNKNOWN;  // A8R8G8B8, X8R8G8B8, A8 or V8U8
  std::vector<Picture> levels;        // the largest first; each level half the one before, at least 1
};

bool IsDdsFile(const void* data, size_t size);

// Reads an uncompressed DDS file of a format listed above. A damaged, truncated or unsupported file
// gives nothing; a file claiming more levels than its data holds keeps the levels that are complete.
std::optional<DdsFile> ReadDdsFile(const void* data, size_t size);

}  // namespace d3dx9
