// Every window owns a surface of X8R8G8B8 pixels the size of its client area. Direct3D presents into
// it; the presenter shows it in an X11 window or writes it to COPPERLEAF_FRAMES.
#pragma once
#include <cstdint>
#include <vector>

#include <windows.h>

namespace win32 {

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row-major, width * height
};

// The largest side of a surface that is drawn and shown, a window's or a swap chain's: beyond every
// monitor made, and its pixels still fit in memory. A window a manager makes larger stays empty.
constexpr int kLargestSurfaceSide = 8192;

// The surface of a window the stand-in knows, resized to its client area; null for any other handle.
Surface* WindowSurface(HWND window);

// Whether the window fills a window of another program (the one a screen-saver manager gave, or
// the one a preview lives in): its swap chain is always the size of its client area, whatever the
// present parameters name, since that size is the only one it can show.
bool FillsForeignWindow(HWND window);

// How often such a window took a new size from the window it fills (always 0 for the others): a
// swap chain made at one count follows the window's client size once it changes.
uint64_t FollowedSizeChanges(HWND window);

// Hands the window's surface to the presenter once its pixels are complete.
void PresentWindow(HWND window);

}  // namespace win32
