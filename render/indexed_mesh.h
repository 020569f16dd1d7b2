// A simple mesh with a 16-bit index buffer, drawn as a triangle list of its triangle count.
#pragma once
#include <limits>

#include "render/simple_mesh.h"

// The most quads one 16-bit index buffer addresses with room to spare: the highest index is
// 4 x 16383 - 1 = 65531.
inline constexpr UINT kMaxQuadsPerBuffer = 16383;

template <class V>
class DS_IndexedMesh : public DS_SimpleMesh<V> {
 public:
  // Buffers for `vertices` vertices and `indices` 16-bit indices (triangles = indices / 3); the
  // old ones are released. A failed creation leaves the mesh without that buffer.
  void CreateBuffers(UINT vertices, UINT indices) {
    this->CreateVB(vertices, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    this->primitiveType = D3DPT_TRIANGLELIST;
    this->primitiveCount = 0;
    triangleCount = indices / 3;
    indexBuffer.Release();
    lockedIndices = nullptr;
    if (!g_Device || triangleCount == 0 || triangleCount > std::numeric_limits<UINT>::max() / 6) return;
    g_Device->CreateIndexBuffer(triangleCount * 3 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                D3DPOOL_MANAGED, indexBuffer.Out(), nullptr);
  }

  // The whole index buffer, or null when there is none or it will not lock.
  WORD* LockIndices() {
    lockedIndices = nullptr;
    if (!indexBuffer) return nullptr;
    void* data = nullptr;
    if (FAILED(indexBuffer->Lock(0, 0, &data, 0)) || !data) return nullptr;
    lockedIndices = static_cast<WORD*>(data);
    return lockedIndices;
  }
  void UnlockIndices() {
    if (!lockedIndices) return;
    lockedIndices = nullptr;
    indexBuffer->Unlock();
  }

  // Buffers for `quads` independent quads, two triangles each (vertices 0, 1, 2 and 2, 1, 3 of the
  // quad's strip order). More quads than 16-bit indices reach are refused: the mesh is left without
  // buffers and with no vertices or triangles.
  void BuildQuadList(UINT quads) {
    if (quads > kMaxQuadsPerBuffer) {
      CreateBuffers(0, 0);
      return;
    }
    CreateBuffers(4 * quads, 6 * quads);
    WORD* index = LockIndices();
    if (!index) return;
    for (UINT j = 0; j < quads; ++j) {
      const WORD first = static_cast<WORD>(4 * j);
      const WORD quad[6] = {first, WORD(first + 1), WORD(first + 2), WORD(first + 2), WORD(first + 1), WORD(first + 3)};
      for (WORD value : quad) *index++ = value;
    }
    UnlockIndices();
  }

  ComHolder<IDirect3DIndexBuffer9> indexBuffer;
  UINT triangleCount = 0;
  WORD* lockedIndices = nullptr;  // valid only between LockIndices and UnlockIndices
};

// N independent quads: 4N vertices and 6N indices.
template <class V>
class DS_SpriteArrayT : public DS_IndexedMesh<V> {
 public:
  void Build(UINT quads) { this->BuildQuadList(quads); }
};

// An indexed mesh with one texture.
template <class V>
class TexturedMesh : public DS_IndexedMesh<V> {
 public:
  ComHolder<IDirect3DTexture9> texture;
};
