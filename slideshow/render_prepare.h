// The binding steps the drawing services and the layer subclasses share: buffers and vertex format
// for fixed-function drawing (never a vertex shader), and the world-space colour quad.
#pragma once
#include "render/indexed_mesh.h"
#include "render/simple_mesh.h"
#include "document/vertex_formats.h"

void PrepareIndexedPT(const DS_IndexedMesh<DX_V::PT>& mesh);
void PreparePWC(const DS_SimpleMesh<DX_V::PWC>& mesh);
void PrepareIndexedPCT(const DS_IndexedMesh<DX_V::PCT>& mesh);
void PrepareIndexedPNT(const DS_IndexedMesh<DX_V::PNT>& mesh);

// A colour quad in its vertex colours and alphas, blended; blending stays on.
void DrawColorQuad(const DS_SimpleMesh<DX_V::PC>& quad);

// Stage 0's colour and alpha operations.
struct StageOperations {
  DWORD color = D3DTOP_SELECTARG1;
  DWORD alpha = D3DTOP_SELECTARG1;
};
// Stage 0 passes the vertex colour and alpha through unchanged, whatever operations an earlier draw
// left (an alpha operation left at MODULATE would square a colour quad's opacity); returns the
// operations it replaced.
StageOperations SelectDiffuse(IDirect3DDevice9* device);
// Both first arguments back to the texture and the replaced operations back, so that the layers that
// rely on their own stage set-up (glyph texture x vertex colour) keep it.
void RestoreTextureArguments(IDirect3DDevice9* device, const StageOperations& saved);

// Draws an indexed mesh's whole triangle list with the buffers already bound.
template <class V>
void DrawIndexedMesh(const DS_IndexedMesh<V>& mesh) {
  if (!g_Device || !mesh.vertexBuffer || !mesh.indexBuffer || mesh.triangleCount == 0) return;
  g_Device->DrawIndexedPrimitive(mesh.primitiveType, 0, 0, mesh.vertexCount, 0, mesh.triangleCount);
}
