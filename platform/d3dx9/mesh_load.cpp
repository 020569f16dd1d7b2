// Meshes from text .x files, in memory or on disk.
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx9/buffer.h"
#include "platform/d3dx9/file_bytes.h"
#include "platform/d3dx9/mesh.h"
#include "platform/d3dx9/x_file.h"

namespace {

// The record an effect-instance buffer holds per material; a text .x file names no effects, so
// every record is empty.
struct EffectInstance {
  LPSTR pEffectFilename;
  DWORD NumDefaults;
  void* pDefaults;
};

ID3DXBuffer* MaterialBuffer(const std::vector<d3dx9::XMaterial>& materials) {
  // The records first, then the texture names they point at, all inside the one buffer.
  size_t size = materials.size() * sizeof(D3DXMATERIAL);
  for (const auto& m : materials)
    if (!m.textureFile.empty()) size += m.textureFile.size() + 1;
  ID3DXBuffer* buffer = d3dx9::NewBuffer(nullptr, DWORD(size));
  if (!buffer) return nullptr;
  auto* records = static_cast<D3DXMATERIAL*>(buffer->GetBufferPointer());
  char* names = reinterpret_cast<char*>(records + materials.size());
  for (size_t i = 0; i < materials.size(); ++i) {
    records[i].MatD3D = materials[i].material;
    records[i].pTextureFilename = nullptr;
    if (!materials[i].textureFile.empty()) {
      std::memcpy(names, materials[i].textureFile.c_str(), materials[i].textureFile.size() + 1);
      records[i].pTextureFilename = names;
      names += materials[i].textureFile.size() + 1;
    }
  }
  return buffer;
}

HRESULT BuildMesh(const d3dx9::XMesh& x, DWORD options, IDirect3DDevice9* device, d3dx9::Mesh** out) {
  const DWORD fvf = D3DFVF_XYZ | (x.normals.empty() ? 0 : D3DFVF_NORMAL) | (x.texcoords.empty() ? 0 : D3DFVF_TEX1);
  d3dx9::Mesh* mesh = nullptr;
  HRESULT hr = d3dx9::Mesh::Create(device, options, fvf, DWORD(x.attributes.size()), DWORD(x.positions.size()),
                                   &mesh);
  if (FAILED(hr)) return hr;
  const d3dx9::FvfLayout& layout = mesh->layout();
  std::vector<uint8_t> vertices(x.positions.size() * layout.size, 0);
  for (size_t v = 0; v < x.positions.size(); ++v) {
    uint8_t* into = vertices.data() + v * layout.size;
    std::memcpy(into, &x.positions[v], 12);
    if (layout.normal >= 0) std::memcpy(into + layout.normal, &x.normals[v], 12);
    if (layout.texcoordSets > 0) std::memcpy(into + layout.texcoord[0], &x.texcoords[v * 2], 8);
  }
  hr = mesh->WriteVertices(vertices);
  if (SUCCEEDED(hr)) hr = mesh->WriteIndices(x.indices);
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  mesh->attributes() = x.attributes;
  *out = mesh;
  return S_OK;
}

}  // namespace

HRESULT WINAPI D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                         LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXBUFFER* ppAdjacency,
                                         LPD3DXBUFFER* ppMaterials, LPD3DXBUFFER* ppEffectInstances,
                                         DWORD* pNumMaterials, LPD3DXMESH* ppMesh) {
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (ppMaterials) *ppMaterials = nullptr;
  if (ppEffectInstances) *ppEffectInstances = nullptr;
  if (pNumMaterials) *pNumMaterials = 0;
  if (!ppMesh) return D3DERR_INVALIDCALL;
  *ppMesh = nullptr;
  if (!Memory || SizeOfMemory == 0 || !pD3DDevice) return D3DERR_INVALIDCALL;

  d3dx9::XMesh x;
  HRESULT hr = d3dx9::ParseXFile(Memory, SizeOfMemory, x);
  if (FAILED(hr)) return hr;
  d3dx9::Mesh* mesh = nullptr;
  hr = BuildMesh(x, Options, pD3DDevice, &mesh);
  if (FAILED(hr)) return hr;

  ID3DXBuffer* adjacency = nullptr;
  ID3DXBuffer* materials = nullptr;
  ID3DXBuffer* effects = nullptr;
  bool ok = true;
  if (ppAdjacency) {
    const std::vector<DWORD> faces = d3dx9::ComputeAdjacency(x.indices);
    ok = (adjacency = d3dx9::NewBuffer(faces.data(), DWORD(faces.size() * sizeof(DWORD)))) != nullptr;
  }
  if (ok && ppMaterials) ok = (materials = MaterialBuffer(x.materials)) != nullptr;
  if (ok && ppEffectInstances)
    ok = (effects = d3dx9::NewBuffer(nullptr, DWORD(x.materials.size() * sizeof(EffectInstance)))) != nullptr;
  if (!ok) {
    for (ID3DXBuffer* b : {adjacency, materials, effects})
      if (b) b->Release();
    mesh->Release();
    return E_OUTOFMEMORY;
  }
  if (ppAdjacency) *ppAdjacency = adjacency;
  if (ppMaterials) *ppMaterials = materials;
  if (ppEffectInstances) *ppEffectInstances = effects;
  if (pNumMaterials) *pNumMaterials = DWORD(x.materials.size());
  *ppMesh = mesh;
  return S_OK;
}

HRESULT WINAPI D3DXLoadMeshFromXW(LPCWSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                  LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials, LPD3DXMESH* ppMesh) {
  std::vector<uint8_t> bytes;
  if (!d3dx9::ReadWholeFile(pFilename, bytes) || bytes.empty() || bytes.size() > 0xFFFFFFFFu) {
    if (ppAdjacency) *ppAdjacency = nullptr;
    if (ppMaterials) *ppMaterials = nullptr;
    if (ppEffectInstances) *ppEffectInstances = nullptr;
    if (pNumMaterials) *pNumMaterials = 0;
    if (ppMesh) *ppMesh = nullptr;
    return D3DXERR_INVALIDDATA;
  }
  return D3DXLoadMeshFromXInMemory(bytes.data(), DWORD(bytes.size()), Options, pD3DDevice, ppAdjacency, ppMaterials,
                                   ppEffectInstances, pNumMaterials, ppMesh);
}
