#include "fvf_layout.h"

#include <d3dx9.h>

namespace d3dx9 {

FvfLayout LayoutOf(DWORD fvf) {
  FvfLayout layout;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0: layout.positionSize = 0; break;
    case D3DFVF_XYZ: layout.positionSize = 12; break;
    case D3DFVF_XYZRHW: layout.positionSize = 16; layout.transformed = true; break;
    case 0x006: layout.positionSize = 16; break;  // XYZB1 .. XYZB5: position and blend weights
    case 0x008: layout.positionSize = 20; break;
    case 0x00A: layout.positionSize = 24; break;
    case 0x00C: layout.positionSize = 28; break;
    case 0x00E: layout.positionSize = 32; break;
    case 0x4002: layout.positionSize = 16; break;  // XYZW
    default: return FvfLayout{};
  }
  UINT offset = layout.positionSize;
  if (fvf & D3DFVF_NORMAL) {
    layout.normal = int(offset);
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = int(offset);
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.specular = int(offset);
    offset += 4;
  }
  layout.texcoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (layout.texcoordSets > 8) return FvfLayout{};
  for (UINT i = 0; i < layout.texcoordSets; ++i) {
    // Two bits per set from bit 16: 0 two floats, 1 three, 2 four, 3 one.
    static const UINT kFloats[4] = {2, 3, 4, 1};
    layout.texcoord[i] = int(offset);
    layout.texcoordFloats[i] = kFloats[(fvf >> (16 + 2 * i)) & 3];
    offset += 4 * layout.texcoordFloats[i];
  }
  layout.size = offset;
  return layout;
}

}  // namespace d3dx9

UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF) { return d3dx9::LayoutOf(FVF).size; }
