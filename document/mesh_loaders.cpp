#include "document/mesh_loaders.h"

#include <d3dx9mesh.h>

#include <cstring>

#include "document/com_holder.h"
#include "document/device.h"
#include "document/resource_bytes.h"
#include "document/vertex_formats.h"

namespace {

constexpr DWORD kOptions = D3DXMESH_SYSTEMMEM;

void Clear(MeshEntry& entry) {
  entry.Release();
  entry.vertexCount = 0;
  entry.faceCount = 0;
  entry.boundingRadius = 0.0f;
  entry.boundingCentre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

// Copies `bytes` bytes out of a locked source into a new managed buffer of the entry.
bool CopyIndices(ID3DXMesh* mesh, UINT bytes, ComHolder<IDirect3DIndexBuffer9>& target) {
  ComHolder<IDirect3DIndexBuffer9> source;
  if (FAILED(mesh->GetIndexBuffer(source.Out())) || !source) return false;
  // Only 16-bit indices can be copied as they stand, and never more bytes than the clone holds.
  D3DINDEXBUFFER_DESC desc{};
  if (FAILED(source->GetDesc(&desc)) || desc.Format != D3DFMT_INDEX16 || desc.Size < bytes) return false;
  if (FAILED(g_Device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, target.Out(),
                                         nullptr)) ||
      !target) {
    return false;
  }
  void* from = nullptr;
  void* to = nullptr;
  if (FAILED(source->Lock(0, 0, &from, D3DLOCK_READONLY)) || !from) return false;
  const bool locked = SUCCEEDED(target->Lock(0, 0, &to, 0)) && to;
  if (locked) std::memcpy(to, from, bytes);
  if (locked) target->Unlock();
  source->Unlock();
  return locked;
}

bool CopyVertices(ID3DXMesh* mesh, UINT bytes, ComHolder<IDirect3DVertexBuffer9>& target) {
  ComHolder<IDirect3DVertexBuffer9> source;
  D3DVERTEXBUFFER_DESC desc{};
  if (FAILED(mesh->GetVertexBuffer(source.Out())) || !source || FAILED(source->GetDesc(&desc)) || desc.Size < bytes) {
    return false;
  }
  if (FAILED(g_Device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, target.Out(), nullptr)) ||
      !target) {
    return false;
  }
  void* from = nullptr;
  void* to = nullptr;
  if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &from)) || !from) return false;
  const bool locked = SUCCEEDED(target->Lock(0, 0, &to, 0)) && to;
  if (locked) std::memcpy(to, from, bytes);
  if (locked) target->Unlock();
  mesh->UnlockVertexBuffer();
  return locked;
}

bool ComputeSphere(ID3DXMesh* mesh, UINT vertices, MeshEntry& entry) {
  void* data = nullptr;
  if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data)) || !data) return false;
  const HRESULT hr = D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(data), vertices,
                                               D3DXGetFVFVertexSize(DX_V::PNT::FVF), &entry.boundingCentre,
                                               &entry.boundingRadius);
  mesh->UnlockVertexBuffer();
  return SUCCEEDED(hr);
}

// The shared pipeline once D3DX has read the mesh: the PNT clone, normals, optimisation, and
// copies of its buffers and sphere into the entry. Every D3DX object is released on return.
bool FillFromLoaded(MeshEntry& entry, ID3DXMesh* loaded, ID3DXBuffer* adjacency, UINT stride) {
  ComHolder<ID3DXMesh> clone;
  if (FAILED(loaded->CloneMeshFVF(kOptions, DX_V::PNT::FVF, g_Device, clone.Out())) || !clone) return false;
  // The copy is made with the clone's own vertex size. A caller that would draw the entry with any
  // other stride would read the vertices out of step, so such a request gets no mesh at all.
  const UINT vertexSize = D3DXGetFVFVertexSize(clone->GetFVF());
  if (vertexSize != D3DXGetFVFVertexSize(DX_V::PNT::FVF) || stride != vertexSize) return false;
  if (FAILED(D3DXComputeNormals(clone.Get(), nullptr))) return false;
  const DWORD* adjacencyIn = adjacency ? static_cast<const DWORD*>(adjacency->GetBufferPointer()) : nullptr;
  if (FAILED(clone->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, adjacencyIn,
                                    nullptr, nullptr, nullptr))) {
    return false;
  }
  const UINT vertices = clone->GetNumVertices();
  const UINT faces = clone->GetNumFaces();
  if (vertices == 0 || faces == 0 || vertices > 65536) return false;
  if (!CopyIndices(clone.Get(), faces * 6, entry.indexBuffer)) return false;
  if (!CopyVertices(clone.Get(), vertexSize * vertices, entry.vertexBuffer)) return false;
  if (!ComputeSphere(clone.Get(), vertices, entry)) return false;
  entry.vertexCount = vertices;
  entry.faceCount = faces;
  return true;
}

// Runs the pipeline on what a D3DX load produced and releases it all.
void Finish(MeshEntry& entry, HRESULT loadResult, ComHolder<ID3DXMesh>& loaded, ComHolder<ID3DXBuffer>& adjacency,
            UINT stride) {
  if (FAILED(loadResult) || !loaded || !g_Device || !FillFromLoaded(entry, loaded.Get(), adjacency.Get(), stride)) {
    Clear(entry);
  }
}

}  // namespace

void LoadMeshFromMemory(MeshEntry& entry, const void* data, UINT size, UINT stride) {
  Clear(entry);
  if (!data || size == 0) return;
  ComHolder<ID3DXBuffer> adjacency, materials, effects;
  ComHolder<ID3DXMesh> loaded;
  DWORD materialCount = 0;
  const HRESULT hr = D3DXLoadMeshFromXInMemory(data, size, kOptions, g_Device, adjacency.Out(), materials.Out(),
                                               effects.Out(), &materialCount, loaded.Out());
  // A mesh's texture always comes from the image link of the object that draws it.
  materials.Release();
  effects.Release();
  Finish(entry, hr, loaded, adjacency, stride);
}

void LoadMeshFromFile(MeshEntry& entry, LPCWSTR path, UINT stride) {
  Clear(entry);
  if (!path) return;
  ComHolder<ID3DXBuffer> adjacency, materials, effects;
  ComHolder<ID3DXMesh> loaded;
  DWORD materialCount = 0;
  const HRESULT hr = D3DXLoadMeshFromXW(path, kOptions, g_Device, adjacency.Out(), materials.Out(), effects.Out(),
                                        &materialCount, loaded.Out());
  materials.Release();
  effects.Release();
  Finish(entry, hr, loaded, adjacency, stride);
}

void LoadModuleResourceMesh(MeshEntry& entry, HMODULE module, int id, UINT stride) {
  const std::span<const BYTE> bytes = FindDdsResource(module, id);
  LoadMeshFromMemory(entry, bytes.data(), static_cast<UINT>(bytes.size()), stride);
}
