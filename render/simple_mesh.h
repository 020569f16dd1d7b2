// A frame with a vertex buffer of vertex type V (one of DX_V), and the colour-quad operations of
// the screen and world colour formats. Every operation that writes vertices locks the whole buffer
// and writes nothing when there is no buffer or the lock gives no pointer.
#pragma once
#include <d3d9.h>

#include <algorithm>
#include <limits>

#include "document/com_holder.h"
#include "document/device.h"
#include "render/frame.h"
#include "render/quad_corners.h"
#include "document/vertex_formats.h"

namespace DX_V {

// Writes a corner into a vertex: the screen formats take the corner's z as rhw at depth 0, the
// world colour format drops z, the world textured format copies all five values. Colours stay.
inline void WriteCorner(PWCT& vertex, const QuadCorner& c) {
  vertex.x = c.x, vertex.y = c.y, vertex.z = 0.0f, vertex.rhw = c.z, vertex.u = c.u, vertex.v = c.v;
}
inline void WriteCorner(PWC& vertex, const QuadCorner& c) {
  vertex.x = c.x, vertex.y = c.y, vertex.z = 0.0f, vertex.rhw = c.z;
}
inline void WriteCorner(PC& vertex, const QuadCorner& c) { vertex.x = c.x, vertex.y = c.y, vertex.z = 0.0f; }
inline void WriteCorner(PT& vertex, const QuadCorner& c) {
  vertex.x = c.x, vertex.y = c.y, vertex.z = c.z, vertex.u = c.u, vertex.v = c.v;
}

// trunc(fraction x 255) as an alpha byte; values outside 0..1 are held at the ends.
inline BYTE AlphaByte(float scaled) {
  if (!(scaled > 0.0f)) return 0;
  return static_cast<BYTE>(std::min(scaled, 255.0f));
}
inline D3DCOLOR WithAlpha(D3DCOLOR color, BYTE alpha) { return (color & 0x00FFFFFFu) | (DWORD{alpha} << 24); }

}  // namespace DX_V

template <class V>
class DS_SimpleMesh : public DS_Frame {
 public:
  using Vertex = V;

  // A new buffer of `count` vertices of V; the old one is released first. With a count too large to
  // address, or a failed creation, the mesh has no buffer and draws nothing.
  void CreateVB(UINT count, DWORD usage, D3DPOOL pool) {
    vertexBuffer.Release();
    lockedVertices = nullptr;
    vertexCount = count;
    if (!g_Device || count == 0 || count > std::numeric_limits<UINT>::max() / sizeof(V)) return;
    g_Device->CreateVertexBuffer(count * sizeof(V), usage, V::FVF, pool, vertexBuffer.Out(), nullptr);
  }

  // A four-vertex triangle strip of two primitives.
  void CreateQuadBuffer() {
    CreateVB(4, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    primitiveType = D3DPT_TRIANGLESTRIP;
    primitiveCount = 2;
  }

  // The whole buffer, or null when there is none or it will not lock.
  V* LockVertices() {
    lockedVertices = nullptr;
    if (!vertexBuffer) return nullptr;
    void* data = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &data, 0)) || !data) return nullptr;
    lockedVertices = static_cast<V*>(data);
    return lockedVertices;
  }
  void UnlockVertices() {
    if (!lockedVertices) return;
    lockedVertices = nullptr;
    vertexBuffer->Unlock();
  }

  // Writes the four corners into locked vertices; colours stay.
  void WriteCorners(const QuadCorners& quad) {
    if (!lockedVertices || vertexCount < 4) return;
    for (int i = 0; i < 4; ++i) DX_V::WriteCorner(lockedVertices[i], quad.corners[i]);
  }

  // Colour quads: a new quad buffer with the corners and one colour at every vertex.
  void BuildQuad(D3DCOLOR color, const QuadCorners& quad) {
    CreateQuadBuffer();
    if (!LockVertices()) return;
    WriteCorners(quad);
    for (int i = 0; i < 4; ++i) lockedVertices[i].color = color;
    UnlockVertices();
  }

  // Alpha of vertices 0, 2, 1, 3 (in the standard layout: bottom-left, bottom-right, top-left,
  // top-right) from fractions 0..1; RGB stays.
  void SetCornerAlphas(float a, float b, float c, float d) {
    if (vertexCount < 4 || !LockVertices()) return;
    const float alphas[4] = {a, c, b, d};
    for (int i = 0; i < 4; ++i) {
      lockedVertices[i].color = DX_V::WithAlpha(lockedVertices[i].color, DX_V::AlphaByte(alphas[i] * 255.0f));
    }
    UnlockVertices();
  }

  // Replaces the RGB of the four colours; alpha stays.
  void SetRGB(D3DCOLOR color) {
    if (vertexCount < 4 || !LockVertices()) return;
    for (int i = 0; i < 4; ++i) {
      lockedVertices[i].color = (lockedVertices[i].color & 0xFF000000u) | (color & 0x00FFFFFFu);
    }
    UnlockVertices();
  }

  ComHolder<IDirect3DVertexBuffer9> vertexBuffer;
  V* lockedVertices = nullptr;  // valid only between LockVertices and UnlockVertices
  UINT vertexCount = 0;
  D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLESTRIP;
  UINT primitiveCount = 0;  // 0 in indexed meshes, which draw their triangle count
};
