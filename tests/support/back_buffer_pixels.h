// The colour of every pixel of a device's back buffer, row by row, without its alpha: what the
// pixel tests compare. Empty when the back buffer cannot be read.
#pragma once
#include <d3d9.h>

#include <cstdint>
#include <vector>

std::vector<uint32_t> BackBufferPixels(IDirect3DDevice9* device);
