// The Direct3D device of the monitor being worked on. The host sets it before every per-monitor
// step; every drawing and resource function of the scene draws through it.
#pragma once
#include <d3d9.h>

extern IDirect3DDevice9* g_Device;

// Back buffer 0 of swap chain 0 of g_Device; every field 0 when there is no back buffer to ask.
// Its width and height are the "back-buffer pixels" the scene measures screen rectangles in.
D3DSURFACE_DESC GetBackBufferDesc();
