#include "render/textured_quad.h"

#include <cstring>

#include "document/texture_loaders.h"

namespace {
constexpr D3DCOLOR kWhite = 0xFFFFFFFFu;
}

template <class V>
void TexturedQuad<V>::PrepareDraw() {
  if (!g_Device) return;
  g_Device->SetTexture(0, texture.Get());
  g_Device->SetVertexShader(nullptr);
  g_Device->SetFVF(V::FVF);
  g_Device->SetStreamSource(0, this->vertexBuffer.Get(), 0, sizeof(V));
}

template <class V>
void TexturedQuad<V>::SetSquareTextureCopy(int shift, IDirect3DTexture9* source) {
  ComHolder<IDirect3DTexture9> copy;
  if (shift >= 0 && shift <= 6) {
    const UINT size = 128u << shift;
    CopyTextureToNew(source, copy, D3DFMT_UNKNOWN, size, size);
  }
  texture = copy;
}

template <class V>
void TexturedQuad<V>::SetVertices(const float vertices[20]) requires WorldVertex<V> {
  this->CreateQuadBuffer();
  if (!this->LockVertices()) return;
  std::memcpy(this->lockedVertices, vertices, 4 * sizeof(DX_V::PT));
  this->UnlockVertices();
}

template <class V>
void TexturedQuad<V>::SetPositions(const float positions[12]) requires WorldVertex<V> {
  if (this->vertexCount < 4 || !this->LockVertices()) return;
  for (int i = 0; i < 4; ++i) {
    this->lockedVertices[i].x = positions[3 * i];
    this->lockedVertices[i].y = positions[3 * i + 1];
    this->lockedVertices[i].z = positions[3 * i + 2];
  }
  this->UnlockVertices();
}

template <class V>
void TexturedQuad<V>::SetTextureEntry(const TextureEntry& entry) requires WorldVertex<V> {
  texture = entry.texture;
  const float w = static_cast<float>(entry.width);
  const float h = static_cast<float>(entry.height);
  const float positions[12] = {0, h, 0, 0, 0, 0, w, h, 0, w, 0, 0};
  SetPositions(positions);
}

template <class V>
void TexturedQuad<V>::LoadResourceQuad(int id) requires ScreenVertex<V> {
  texture.Release();
  LoadOwnResourceTexture(texture, id, false);
  QuadCorners full;
  full.FullBackBuffer();
  // The back-buffer size as whole pixels; the side is two thirds of the height, not rounded.
  const float w = static_cast<float>(static_cast<int>(full.corners[2].x));
  const float h = static_cast<float>(static_cast<int>(full.corners[0].y));
  const float side = (h + h) / 3.0f;
  const float x0 = (w - side) * 0.5f;
  const float y0 = (h - side) * 0.5f;
  this->CreateQuadBuffer();
  DX_V::PWCT* vertex = this->LockVertices();
  if (!vertex) return;
  vertex[0] = {x0, y0 + side, 0, 1, kWhite, 0, 1};
  vertex[1] = {x0, y0, 0, 1, kWhite, 0, 0};
  vertex[2] = {x0 + side, y0 + side, 0, 1, kWhite, 1, 1};
  vertex[3] = {x0 + side, y0, 0, 1, kWhite, 1, 0};
  this->UnlockVertices();
}

template <class V>
void TexturedQuad<V>::SetAlpha(BYTE a, float k) requires ScreenVertex<V> {
  if (this->vertexCount < 4 || !this->LockVertices()) return;
  const BYTE alpha = DX_V::AlphaByte(k * static_cast<float>(a));
  for (int i = 0; i < 4; ++i) this->lockedVertices[i].color = DX_V::WithAlpha(this->lockedVertices[i].color, alpha);
  this->UnlockVertices();
}

template <class V>
void TexturedQuad<V>::SetTextureAndCorners(IDirect3DTexture9* source, const QuadCorners& quad) requires ScreenVertex<V> {
  texture.Set(source);
  BuildWhiteQuad(quad);
}

template <class V>
void TexturedQuad<V>::SetCornersOwnResource0(const QuadCorners& quad) requires ScreenVertex<V> {
  texture.Release();
  LoadOwnResourceTexture(texture, 0, false);
  BuildWhiteQuad(quad);
}

template <class V>
void TexturedQuad<V>::UpdateCorners(const QuadCorners& quad) requires ScreenVertex<V> {
  if (!this->LockVertices()) return;
  this->WriteCorners(quad);
  this->UnlockVertices();
}

template <class V>
void TexturedQuad<V>::BuildWhiteQuad(const QuadCorners& quad) requires ScreenVertex<V> {
  this->CreateQuadBuffer();
  if (!this->LockVertices()) return;
  this->WriteCorners(quad);
  for (int i = 0; i < 4; ++i) this->lockedVertices[i].color = kWhite;
  this->UnlockVertices();
}

// Member by member, so that each quad kind gets only the operations its constraint allows.
template void TexturedQuad<DX_V::PT>::PrepareDraw();
template void TexturedQuad<DX_V::PT>::SetSquareTextureCopy(int, IDirect3DTexture9*);
template void TexturedQuad<DX_V::PT>::SetVertices(const float*);
template void TexturedQuad<DX_V::PT>::SetPositions(const float*);
template void TexturedQuad<DX_V::PT>::SetTextureEntry(const TextureEntry&);
template void TexturedQuad<DX_V::PWCT>::PrepareDraw();
template void TexturedQuad<DX_V::PWCT>::SetSquareTextureCopy(int, IDirect3DTexture9*);
template void TexturedQuad<DX_V::PWCT>::LoadResourceQuad(int);
template void TexturedQuad<DX_V::PWCT>::SetAlpha(BYTE, float);
template void TexturedQuad<DX_V::PWCT>::SetTextureAndCorners(IDirect3DTexture9*, const QuadCorners&);
template void TexturedQuad<DX_V::PWCT>::SetCornersOwnResource0(const QuadCorners&);
template void TexturedQuad<DX_V::PWCT>::UpdateCorners(const QuadCorners&);
template void TexturedQuad<DX_V::PWCT>::BuildWhiteQuad(const QuadCorners&);
