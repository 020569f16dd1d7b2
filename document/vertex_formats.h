// The vertex layouts everything is drawn with. Each carries its flexible-vertex-format code; the
// colour is a D3DCOLOR, 0xAARRGGBB.
#pragma once
#include <d3d9.h>

namespace DX_V {

// World-space textured quads, the layer quad, the border quads and the brush grids.
struct PT {
  float x, y, z, u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX1;
};
// Screen-space textured quads and sprite batches.
struct PWCT {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};
// Screen-space colour quads (fades and overlays).
struct PWC {
  float x, y, z, rhw;
  D3DCOLOR color;
  static constexpr DWORD FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
};
// World-space colour quads.
struct PC {
  float x, y, z;
  D3DCOLOR color;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
};
// Particle sprites.
struct PCT {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};
// Meshes loaded from .x data.
struct PNT {
  float x, y, z, nx, ny, nz, u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
};

static_assert(sizeof(PT) == 20 && PT::FVF == 0x102);
static_assert(sizeof(PWCT) == 28 && PWCT::FVF == 0x144);
static_assert(sizeof(PWC) == 20 && PWC::FVF == 0x44);
static_assert(sizeof(PC) == 16 && PC::FVF == 0x42);
static_assert(sizeof(PCT) == 24 && PCT::FVF == 0x142);
static_assert(sizeof(PNT) == 32 && PNT::FVF == 0x112);

}  // namespace DX_V
