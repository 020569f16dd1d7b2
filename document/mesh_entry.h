// The buffers of one loaded mesh, in the layout of DX_V::PNT with 16-bit indices, and its bounding
// sphere. A copy shares the buffers with one more reference each.
#pragma once
#include <d3d9.h>
#include <d3dx9math.h>

#include "document/com_holder.h"

struct MeshEntry {
  void Release() {
    vertexBuffer.Release();
    indexBuffer.Release();
  }

  ComHolder<IDirect3DVertexBuffer9> vertexBuffer;
  ComHolder<IDirect3DIndexBuffer9> indexBuffer;
  UINT vertexCount = 0;
  UINT faceCount = 0;
  float boundingRadius = 0.0f;
  D3DXVECTOR3 boundingCentre{0.0f, 0.0f, 0.0f};
};
