// Where each component of a flexible vertex format sits within a vertex.
#pragma once
#include <d3d9.h>

namespace d3dx9 {

struct FvfLayout {
  UINT size = 0;
  UINT positionSize = 0;  // 0 when the format has no position
  bool transformed = false;
  int normal = -1;  // byte offsets, -1 when absent
  int diffuse = -1;
  int specular = -1;
  UINT texcoordSets = 0;
  int texcoord[8] = {};
  UINT texcoordFloats[8] = {};
};

// An FVF with bits this stand-in does not know gives a layout of size 0.
FvfLayout LayoutOf(DWORD fvf);

}  // namespace d3dx9
