#include "mesh.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <numeric>
#include <utility>

#include "platform/d3dx9/buffer.h"

namespace d3dx9 {
namespace {

constexpr DWORD kNoFace = 0xFFFFFFFF;

D3DPOOL PoolOf(DWORD options, DWORD systemBit, DWORD managedBit) {
  if (options & systemBit) return D3DPOOL_SYSTEMMEM;
  if (options & managedBit) return D3DPOOL_MANAGED;
  return D3DPOOL_DEFAULT;
}

}  // namespace

Mesh::Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faces, DWORD vertices)
    : device_(device), options_(options), fvf_(fvf), layout_(LayoutOf(fvf)), faces_(faces), vertices_(vertices) {
  device_->AddRef();
}

Mesh::~Mesh() {
  if (vb_) vb_->Release();
  if (ib_) ib_->Release();
  device_->Release();
}

HRESULT Mesh::Create(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faces, DWORD vertices,
                     Mesh** out) {
  *out = nullptr;
  if (!device) return D3DERR_INVALIDCALL;
  const FvfLayout layout = LayoutOf(fvf);
  if (layout.size == 0 || layout.positionSize < 12 || layout.transformed) return D3DERR_INVALIDCALL;
  const bool wide = (options & D3DXMESH_32BIT) != 0;
  if (faces == 0 || vertices == 0 || (!wide && vertices > 0x10000)) return D3DERR_INVALIDCALL;
  const uint64_t vertexBytes = uint64_t(vertices) * layout.size;
  const uint64_t indexBytes = uint64_t(faces) * 3 * (wide ? 4 : 2);
  if (vertexBytes > 0x7FFFFFFF || indexBytes > 0x7FFFFFFF) return E_OUTOFMEMORY;

  Mesh* mesh;
  try {
    mesh = new Mesh(device, options, fvf, faces, vertices);
    mesh->attributes_.assign(faces, 0);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  HRESULT hr = device->CreateVertexBuffer(UINT(vertexBytes), 0, fvf,
                                          PoolOf(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &mesh->vb_,
                                          nullptr);
  if (SUCCEEDED(hr) && !mesh->vb_) hr = D3DERR_INVALIDCALL;
  if (SUCCEEDED(hr))
    hr = device->CreateIndexBuffer(UINT(indexBytes), 0, wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                   PoolOf(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &mesh->ib_,
                                   nullptr);
  if (SUCCEEDED(hr) && !mesh->ib_) hr = D3DERR_INVALIDCALL;
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  *out = mesh;
  return S_OK;
}

HRESULT Mesh::GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vb) {
  if (!vb) return D3DERR_INVALIDCALL;
  vb_->AddRef();
  *vb = vb_;
  return S_OK;
}

HRESULT Mesh::GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ib) {
  if (!ib) return D3DERR_INVALIDCALL;
  ib_->AddRef();
  *ib = ib_;
  return S_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD flags, LPVOID* data) {
  if (!data) return D3DERR_INVALIDCALL;
  return vb_->Lock(0, 0, data, flags);
}

HRESULT Mesh::UnlockVertexBuffer() { return vb_->Unlock(); }

HRESULT Mesh::LockIndexBuffer(DWORD flags, LPVOID* data) {
  if (!data) return D3DERR_INVALIDCALL;
  return ib_->Lock(0, 0, data, flags);
}

HRESULT Mesh::UnlockIndexBuffer() { return ib_->Unlock(); }

HRESULT Mesh::ReadIndices(std::vector<DWORD>& out) {
  void* data = nullptr;
  HRESULT hr = ib_->Lock(0, 0, &data, D3DLOCK_READONLY);
  if (FAILED(hr)) return hr;
  if (!data) {
    ib_->Unlock();
    return D3DERR_INVALIDCALL;
  }
  out.resize(size_t(faces_) * 3);
  if (options_ & D3DXMESH_32BIT) {
    std::memcpy(out.data(), data, out.size() * 4);
  } else {
    const auto* narrow = static_cast<const uint16_t*>(data);
    std::copy(narrow, narrow + out.size(), out.begin());
  }
  ib_->Unlock();
  // The buffer is open to callers; an index past the vertices must not send us past them.
  for (DWORD i : out)
    if (i >= vertices_) return D3DERR_INVALIDCALL;
  return S_OK;
}

HRESULT Mesh::WriteIndices(const std::vector<DWORD>& indices) {
  if (indices.size() != size_t(faces_) * 3) return D3DERR_INVALIDCALL;
  for (DWORD i : indices)
    if (i >= vertices_) return D3DERR_INVALIDCALL;
  void* data = nullptr;
  HRESULT hr = ib_->Lock(0, 0, &data, 0);
  if (FAILED(hr)) return hr;
  if (!data) {
    ib_->Unlock();
    return D3DERR_INVALIDCALL;
  }
  if (options_ & D3DXMESH_32BIT) {
    std::memcpy(data, indices.data(), indices.size() * 4);
  } else {
    auto* narrow = static_cast<uint16_t*>(data);
    for (size_t i = 0; i < indices.size(); ++i) narrow[i] = uint16_t(indices[i]);
  }
  return ib_->Unlock();
}

HRESULT Mesh::ReadVertices(std::vector<uint8_t>& out) {
  void* data = nullptr;
  HRESULT hr = vb_->Lock(0, 0, &data, D3DLOCK_READONLY);
  if (FAILED(hr)) return hr;
  if (!data) {
    vb_->Unlock();
    return D3DERR_INVALIDCALL;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  out.assign(bytes, bytes + size_t(vertices_) * layout_.size);
  vb_->Unlock();
  return S_OK;
}

HRESULT Mesh::WriteVertices(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != size_t(vertices_) * layout_.size) return D3DERR_INVALIDCALL;
  void* data = nullptr;
  HRESULT hr = vb_->Lock(0, 0, &data, 0);
  if (FAILED(hr)) return hr;
  if (!data) {
    vb_->Unlock();
    return D3DERR_INVALIDCALL;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  return vb_->Unlock();
}

HRESULT Mesh::CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, LPD3DXMESH* clone) {
  if (!clone) return D3DERR_INVALIDCALL;
  *clone = nullptr;
  std::vector<DWORD> indices;
  std::vector<uint8_t> source;
  HRESULT hr = ReadIndices(indices);
  if (SUCCEEDED(hr)) hr = ReadVertices(source);
  if (FAILED(hr)) return hr;

  Mesh* copy = nullptr;
  hr = Create(device, options, fvf, faces_, vertices_, &copy);
  if (FAILED(hr)) return hr;
  const FvfLayout& to = copy->layout_;
  std::vector<uint8_t> target(size_t(vertices_) * to.size, 0);
  // Components both formats have are copied; those only the clone has start at zero.
  for (DWORD v = 0; v < vertices_; ++v) {
    const uint8_t* from = source.data() + size_t(v) * layout_.size;
    uint8_t* into = target.data() + size_t(v) * to.size;
    std::memcpy(into, from, 12);
    if (layout_.normal >= 0 && to.normal >= 0) std::memcpy(into + to.normal, from + layout_.normal, 12);
    if (layout_.diffuse >= 0 && to.diffuse >= 0) std::memcpy(into + to.diffuse, from + layout_.diffuse, 4);
    if (layout_.specular >= 0 && to.specular >= 0) std::memcpy(into + to.specular, from + layout_.specular, 4);
    for (UINT t = 0; t < std::min(layout_.texcoordSets, to.texcoordSets); ++t)
      std::memcpy(into + to.texcoord[t], from + layout_.texcoord[t],
                  4 * std::min(layout_.texcoordFloats[t], to.texcoordFloats[t]));
  }
  hr = copy->WriteVertices(target);
  if (SUCCEEDED(hr)) hr = copy->WriteIndices(indices);
  if (FAILED(hr)) {
    copy->Release();
    return hr;
  }
  copy->attributes_ = attributes_;
  *clone = copy;
  return S_OK;
}

HRESULT Mesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                              LPD3DXBUFFER* vertexRemap) {
  if (vertexRemap) *vertexRemap = nullptr;
  std::vector<DWORD> indices;
  std::vector<uint8_t> vertices;
  HRESULT hr = ReadIndices(indices);
  if (SUCCEEDED(hr)) hr = ReadVertices(vertices);
  if (FAILED(hr)) return hr;

  // Faces grouped by attribute, keeping their order within a group. The vertex-cache order is the
  // optimiser's choice; this one keeps the file's order, which any caller must accept.
  std::vector<DWORD> order(faces_);
  std::iota(order.begin(), order.end(), 0);
  if (flags & (D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE))
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return attributes_[a] < attributes_[b]; });

  // Vertices no face uses are dropped; the others keep their order.
  std::vector<DWORD> newIndexOf(vertices_);
  std::iota(newIndexOf.begin(), newIndexOf.end(), 0);
  std::vector<DWORD> kept(newIndexOf);
  if (flags & (D3DXMESHOPT_COMPACT | D3DXMESHOPT_VERTEXCACHE)) {
    std::vector<bool> used(vertices_, false);
    for (DWORD i : indices) used[i] = true;
    kept.clear();
    for (DWORD v = 0; v < vertices_; ++v)
      if (used[v]) {
        newIndexOf[v] = DWORD(kept.size());
        kept.push_back(v);
      }
  }

  std::vector<DWORD> newIndices(indices.size());
  std::vector<DWORD> newAttributes(faces_);
  for (DWORD f = 0; f < faces_; ++f) {
    for (int c = 0; c < 3; ++c) newIndices[size_t(f) * 3 + c] = newIndexOf[indices[size_t(order[f]) * 3 + c]];
    newAttributes[f] = attributes_[order[f]];
  }
  std::vector<uint8_t> newVertices(kept.size() * layout_.size);
  for (size_t v = 0; v < kept.size(); ++v)
    std::memcpy(newVertices.data() + v * layout_.size, vertices.data() + size_t(kept[v]) * layout_.size,
                layout_.size);

  ID3DXBuffer* remap = nullptr;
  if (vertexRemap) {
    remap = NewBuffer(kept.data(), DWORD(kept.size() * sizeof(DWORD)));
    if (!remap) return E_OUTOFMEMORY;
  }

  // A smaller vertex set gets a buffer of its own size; the old one goes only once all succeeded.
  if (kept.size() != vertices_) {
    IDirect3DVertexBuffer9* smaller = nullptr;
    D3DVERTEXBUFFER_DESC desc;
    hr = vb_->GetDesc(&desc);
    if (SUCCEEDED(hr))
      hr = device_->CreateVertexBuffer(UINT(newVertices.size()), desc.Usage, fvf_, desc.Pool, &smaller, nullptr);
    if (SUCCEEDED(hr) && !smaller) hr = D3DERR_INVALIDCALL;
    if (FAILED(hr)) {
      if (remap) remap->Release();
      return hr;
    }
    vb_->Release();
    vb_ = smaller;
    vertices_ = DWORD(kept.size());
  }
  hr = WriteVertices(newVertices);
  if (SUCCEEDED(hr)) hr = WriteIndices(newIndices);
  if (FAILED(hr)) {
    if (remap) remap->Release();
    return hr;
  }
  attributes_ = std::move(newAttributes);

  if (faceRemap) std::copy(order.begin(), order.end(), faceRemap);
  if (adjacencyOut) {
    if (adjacencyIn) {
      std::vector<DWORD> newFaceOf(faces_);
      for (DWORD f = 0; f < faces_; ++f) newFaceOf[order[f]] = f;
      for (DWORD f = 0; f < faces_; ++f)
        for (int e = 0; e < 3; ++e) {
          const DWORD old = adjacencyIn[size_t(order[f]) * 3 + e];
          adjacencyOut[size_t(f) * 3 + e] = old < faces_ ? newFaceOf[old] : kNoFace;
        }
    } else {
      const std::vector<DWORD> adjacency = ComputeAdjacency(newIndices);
      std::copy(adjacency.begin(), adjacency.end(), adjacencyOut);
    }
  }
  if (vertexRemap) *vertexRemap = remap;
  return S_OK;
}

std::vector<DWORD> ComputeAdjacency(const std::vector<DWORD>& indices) {
  const size_t faces = indices.size() / 3;
  std::vector<DWORD> adjacency(faces * 3, kNoFace);
  std::map<std::pair<DWORD, DWORD>, std::vector<DWORD>> facesOfEdge;
  auto edge = [&](size_t f, int e) {
    const DWORD a = indices[f * 3 + e], b = indices[f * 3 + (e + 1) % 3];
    return std::make_pair(std::min(a, b), std::max(a, b));
  };
  for (size_t f = 0; f < faces; ++f)
    for (int e = 0; e < 3; ++e) facesOfEdge[edge(f, e)].push_back(DWORD(f));
  for (size_t f = 0; f < faces; ++f)
    for (int e = 0; e < 3; ++e)
      for (DWORD other : facesOfEdge[edge(f, e)])
        if (other != f) {
          adjacency[f * 3 + e] = other;
          break;
        }
  return adjacency;
}

}  // namespace d3dx9
