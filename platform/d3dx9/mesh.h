// ID3DXMesh: a triangle list in a vertex and an index buffer of the device, with one attribute
// (material number) per face.
#pragma once
#include <vector>

#include <d3dx9.h>

#include "platform/d3dx9/com_object.h"
#include "platform/d3dx9/fvf_layout.h"

namespace d3dx9 {

class Mesh final : public ComObject<ID3DXMesh> {
 public:
  // A mesh with zeroed buffers. The position must be untransformed XYZ; without D3DXMESH_32BIT no
  // more vertices than 16-bit indices reach.
  static HRESULT Create(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faces, DWORD vertices,
                        Mesh** out);

  DWORD STDMETHODCALLTYPE GetNumFaces() override { return faces_; }
  DWORD STDMETHODCALLTYPE GetNumVertices() override { return vertices_; }
  DWORD STDMETHODCALLTYPE GetFVF() override { return fvf_; }
  HRESULT STDMETHODCALLTYPE CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                                         LPD3DXMESH* clone) override;
  HRESULT STDMETHODCALLTYPE GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vb) override;
  HRESULT STDMETHODCALLTYPE GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ib) override;
  HRESULT STDMETHODCALLTYPE LockVertexBuffer(DWORD flags, LPVOID* data) override;
  HRESULT STDMETHODCALLTYPE UnlockVertexBuffer() override;
  HRESULT STDMETHODCALLTYPE LockIndexBuffer(DWORD flags, LPVOID* data) override;
  HRESULT STDMETHODCALLTYPE UnlockIndexBuffer() override;
  HRESULT STDMETHODCALLTYPE OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                            DWORD* faceRemap, LPD3DXBUFFER* vertexRemap) override;

  const FvfLayout& layout() const { return layout_; }
  std::vector<DWORD>& attributes() { return attributes_; }

  // Whole buffers in and out as plain values: three indices per face, `layout().size` bytes per
  // vertex. Indices that name no vertex are refused both ways.
  HRESULT ReadIndices(std::vector<DWORD>& out);
  HRESULT WriteIndices(const std::vector<DWORD>& indices);
  HRESULT ReadVertices(std::vector<uint8_t>& out);
  HRESULT WriteVertices(const std::vector<uint8_t>& bytes);

 private:
  Mesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, DWORD faces, DWORD vertices);
  ~Mesh() override;

  IDirect3DDevice9* device_;
  DWORD options_;
  DWORD fvf_;
  FvfLayout layout_;
  DWORD faces_;
  DWORD vertices_;
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
  std::vector<DWORD> attributes_;
};

// Three neighbouring faces per face, one for each edge (corner 0 to 1, 1 to 2, 2 to 0), or
// 0xFFFFFFFF where no other face shares the edge.
std::vector<DWORD> ComputeAdjacency(const std::vector<DWORD>& indices);

}  // namespace d3dx9
