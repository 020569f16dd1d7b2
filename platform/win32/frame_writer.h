// Writes presented surfaces as PNG files, so that a headless run can be looked at.
#pragma once
#include <cstdint>
#include <string>

#include "platform/win32/surface.h"

namespace win32 {

// Writes the surface to `path` as an 8-bit RGB PNG; false (and nothing left behind) on failure.
bool WritePng(const std::string& path, const Surface& surface);

// With COPPERLEAF_FRAMES=DIR, writes the `index`th presentation (counted from 0) of a window to
// DIR/frame-<window>-<index>.png, the index in six digits; with COPPERLEAF_FRAME_EVERY=N only
// every Nth presentation (those whose index is a multiple of N).
void WriteFrameIfAsked(uintptr_t window, uint64_t index, const Surface& surface);

}  // namespace win32
