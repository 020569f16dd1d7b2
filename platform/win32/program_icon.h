// The program's icon as a desktop shows it beside the program's windows: the largest image of the
// executable's first icon group.
#pragma once
#include <cstdint>
#include <vector>

namespace win32 {

// Width, height, then the pixels as 0xAARRGGBB, rows from the top: the layout of the _NET_WM_ICON
// property. Empty when the executable has no icon or its image is not an uncompressed 32-bit one.
std::vector<uint32_t> ProgramIcon();

}  // namespace win32
