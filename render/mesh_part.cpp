#include "render/mesh_part.h"

#include "document/doc_res_manager.h"

void MeshPart::Load(const DS_ImageFileLink& image, const DS_MeshFile& mesh) {
  IDirect3DTexture9* first = nullptr;
  if (g_DocResManager) {
    const TextureSet* set = g_DocResManager->GetTextureSet(image);
    if (!set->textures.empty()) first = set->textures.front().Get();
  }
  texture.Set(first);
  LoadMesh(mesh);
}

bool MeshPart::LoadMesh(const DS_MeshFile& mesh) {
  if (!g_DocResManager) return false;
  const MeshEntry* entry = g_DocResManager->GetMesh(mesh, sizeof(DX_V::PNT));
  vertexBuffer.Set(entry->vertexBuffer.Get());
  indexBuffer.Set(entry->indexBuffer.Get());
  vertexCount = entry->vertexCount;
  triangleCount = entry->faceCount;
  boundingRadius = entry->boundingRadius;
  boundingCentre = entry->boundingCentre;
  primitiveType = D3DPT_TRIANGLELIST;
  return entry->vertexBuffer && entry->vertexCount > 0;
}
