#include "render/sprite_batch.h"

#include <algorithm>

void SpriteBatchChunk::Build(UINT quads) {
  BuildQuadList(quads);
  DX_V::PWCT* vertex = LockVertices();
  if (!vertex) return;
  for (UINT i = 0; i < vertexCount; ++i) vertex[i] = DX_V::PWCT{0.0f, 0.0f, 0.0f, 1.0f, 0u, 0.0f, 0.0f};
  for (UINT slot = 0; slot < quads; ++slot) SetQuadUV(0.0f, 1.0f, 0.0f, 1.0f, slot);
  UnlockVertices();
}

void SpriteBatchChunk::SetQuadUV(float ua, float ub, float va, float vb, UINT slot) {
  if (!lockedVertices || 4 * uint64_t{slot} + 4 > vertexCount) return;
  DX_V::PWCT* v = lockedVertices + 4 * slot;
  v[0].u = ua, v[0].v = vb;
  v[1].u = ua, v[1].v = va;
  v[2].u = ub, v[2].v = vb;
  v[3].u = ub, v[3].v = va;
}

SpriteBatch::SpriteBatch() { chunks_.push_back(std::make_unique<SpriteBatchChunk>()); }

void SpriteBatch::Resize(UINT count) {
  const size_t chunkCount = count == 0 ? 1 : (size_t{count} + kMaxQuadsPerBuffer - 1) / kMaxQuadsPerBuffer;
  chunks_.resize(chunkCount);
  for (size_t i = 0; i < chunkCount; ++i) {
    if (!chunks_[i]) chunks_[i] = std::make_unique<SpriteBatchChunk>();
    const UINT share = std::min<UINT>(count - static_cast<UINT>(kMaxQuadsPerBuffer * i), kMaxQuadsPerBuffer);
    chunks_[i]->Build(count == 0 ? 0 : share);
    chunks_[i]->texture = texture_;
  }
  quadCount_ = count;
}

void SpriteBatch::SetTexture(IDirect3DTexture9* texture) {
  texture_.Set(texture);
  for (auto& chunk : chunks_) chunk->texture = texture_;
}

void SpriteBatch::LockAll() {
  for (auto& chunk : chunks_) chunk->LockVertices();
}

void SpriteBatch::UnlockAll() {
  for (auto& chunk : chunks_) chunk->UnlockVertices();
}

DX_V::PWCT* SpriteBatch::QuadVertices(UINT q) {
  if (q >= quadCount_) return nullptr;
  SpriteBatchChunk& chunk = *chunks_[q / kMaxQuadsPerBuffer];
  const UINT slot = q % kMaxQuadsPerBuffer;
  if (!chunk.lockedVertices || 4 * slot + 4 > chunk.vertexCount) return nullptr;
  return chunk.lockedVertices + 4 * slot;
}

void SpriteBatch::SetQuad(UINT q, const D3DXVECTOR3& centre, const D3DXVECTOR3& a1, const D3DXVECTOR3& a2) {
  DX_V::PWCT* v = QuadVertices(q);
  if (!v) return;
  const D3DXVECTOR3 corners[4] = {centre - a1 + a2, centre - a1 - a2, centre + a1 + a2, centre + a1 - a2};
  for (int i = 0; i < 4; ++i) {
    v[i].x = corners[i].x;
    v[i].y = corners[i].y;
    v[i].z = corners[i].z;
    v[i].rhw = 1.0f;
  }
}

void SpriteBatch::SetQuadColor(UINT q, D3DCOLOR color) {
  DX_V::PWCT* v = QuadVertices(q);
  if (!v) return;
  for (int i = 0; i < 4; ++i) v[i].color = color;
}

void SpriteBatch::Draw() {
  if (!g_Device) return;
  for (auto& chunk : chunks_) {
    if (!chunk->vertexBuffer || !chunk->indexBuffer || chunk->triangleCount == 0) continue;  // nothing to draw
    g_Device->SetTexture(0, chunk->texture.Get());
    g_Device->SetIndices(chunk->indexBuffer.Get());
    g_Device->SetVertexShader(nullptr);
    g_Device->SetFVF(DX_V::PWCT::FVF);
    g_Device->SetStreamSource(0, chunk->vertexBuffer.Get(), 0, sizeof(DX_V::PWCT));
    g_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, chunk->vertexCount, 0, chunk->triangleCount);
  }
}
