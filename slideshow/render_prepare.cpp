#include "slideshow/render_prepare.h"

namespace {
template <class V>
void BindVertices(const DS_SimpleMesh<V>& mesh) {
  g_Device->SetVertexShader(nullptr);
  g_Device->SetFVF(V::FVF);
  g_Device->SetStreamSource(0, mesh.vertexBuffer.Get(), 0, sizeof(V));
}

template <class V>
void BindIndexed(const DS_IndexedMesh<V>& mesh) {
  if (!g_Device) return;
  g_Device->SetIndices(mesh.indexBuffer.Get());
  BindVertices(mesh);
}
}  // namespace

void PrepareIndexedPT(const DS_IndexedMesh<DX_V::PT>& mesh) { BindIndexed(mesh); }
void PrepareIndexedPCT(const DS_IndexedMesh<DX_V::PCT>& mesh) { BindIndexed(mesh); }
void PrepareIndexedPNT(const DS_IndexedMesh<DX_V::PNT>& mesh) { BindIndexed(mesh); }

void PreparePWC(const DS_SimpleMesh<DX_V::PWC>& mesh) {
  if (g_Device) BindVertices(mesh);
}

StageOperations SelectDiffuse(IDirect3DDevice9* device) {
  StageOperations saved;
  device->GetTextureStageState(0, D3DTSS_COLOROP, &saved.color);
  device->GetTextureStageState(0, D3DTSS_ALPHAOP, &saved.alpha);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  return saved;
}

void RestoreTextureArguments(IDirect3DDevice9* device, const StageOperations& saved) {
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, saved.color);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, saved.alpha);
}

void DrawColorQuad(const DS_SimpleMesh<DX_V::PC>& quad) {
  if (!g_Device) return;
  IDirect3DDevice9* device = g_Device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  const StageOperations saved = SelectDiffuse(device);
  BindVertices(quad);
  if (quad.vertexBuffer) device->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  RestoreTextureArguments(device, saved);
}
