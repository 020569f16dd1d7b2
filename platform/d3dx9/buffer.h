// ID3DXBuffer: a block of bytes owned by the buffer object.
#pragma once
#include <vector>

#include "d3dx9core.h"

namespace d3dx9 {

// A new buffer (one reference) holding a copy of the bytes, or null when it cannot be allocated.
ID3DXBuffer* NewBuffer(const void* bytes, DWORD size);

}  // namespace d3dx9
