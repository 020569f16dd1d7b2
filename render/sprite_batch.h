// A batch of screen-space quads in chunks of at most 16383 quads, so that every chunk stays within
// 16-bit indices however many quads the batch holds. Quad q lives in chunk q / 16383 at slot
// q mod 16383. Quads are written between LockAll and UnlockAll and drawn with one call per chunk.
#pragma once
#include <memory>
#include <vector>

#include "render/indexed_mesh.h"

class SpriteBatchChunk : public TexturedMesh<DX_V::PWCT> {
 public:
  // Buffers for n quads: indices of two triangles each, every vertex at (0, 0, 0) with rhw 1,
  // transparent black, texture coordinates (0,1), (0,0), (1,1), (1,0).
  void Build(UINT quads);
  // Texture coordinates (ua, vb), (ua, va), (ub, vb), (ub, va) of the quad's four vertices, into
  // locked vertices.
  void SetQuadUV(float ua, float ub, float va, float vb, UINT slot);
};

class SpriteBatch {
 public:
  SpriteBatch();

  // ceil(count / 16383) chunks, each rebuilt for its share of the quads, all with the batch's texture.
  // A count of 0 keeps one empty chunk.
  void Resize(UINT count);
  // The same texture on every chunk (one reference each).
  void SetTexture(IDirect3DTexture9* texture);

  void LockAll();
  void UnlockAll();
  // Quad q: vertices centre - a1 + a2, centre - a1 - a2, centre + a1 + a2, centre + a1 - a2 in
  // screen pixels, rhw 1. A quad outside the batch, or of a chunk that is not locked, is not written.
  void SetQuad(UINT q, const D3DXVECTOR3& centre, const D3DXVECTOR3& a1, const D3DXVECTOR3& a2);
  void SetQuadColor(UINT q, D3DCOLOR color);
  // Every chunk with its texture as an indexed triangle list; render states are the caller's.
  void Draw();

  UINT QuadCount() const { return quadCount_; }
  size_t ChunkCount() const { return chunks_.size(); }
  SpriteBatchChunk& Chunk(size_t i) { return *chunks_[i]; }

 private:
  // The locked vertices of quad q, or null.
  DX_V::PWCT* QuadVertices(UINT q);

  UINT quadCount_ = 0;
  std::vector<std::unique_ptr<SpriteBatchChunk>> chunks_;
  // Kept by the batch as well, so that no resize (not even to nothing) loses it.
  ComHolder<IDirect3DTexture9> texture_;
};
