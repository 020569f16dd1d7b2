// Normals and bounding spheres of meshes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/mesh.h"

HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* /*pAdjacency*/) {
  auto* mesh = dynamic_cast<d3dx9::Mesh*>(pMesh);
  if (!mesh || mesh->layout().normal < 0) return D3DERR_INVALIDCALL;
  std::vector<DWORD> indices;
  std::vector<uint8_t> vertices;
  HRESULT hr = mesh->ReadIndices(indices);
  if (SUCCEEDED(hr)) hr = mesh->ReadVertices(vertices);
  if (FAILED(hr)) return hr;
  const d3dx9::FvfLayout& layout = mesh->layout();
  const size_t count = vertices.size() / layout.size;
  auto position = [&](size_t v) {
    D3DXVECTOR3 p;
    std::memcpy(&p, vertices.data() + v * layout.size, 12);
    return p;
  };
  // Each vertex takes the normals of the faces that use it, each weighed by the angle of the face's
  // corner there, so that a face cut into more triangles counts no more than before. Vertices are
  // told apart by index, never by place: a vertex split for a hard edge keeps its own face's normal.
  std::vector<D3DXVECTOR3> sums(count, D3DXVECTOR3(0, 0, 0));
  for (size_t f = 0; f + 2 < indices.size(); f += 3) {
    const D3DXVECTOR3 corners[3] = {position(indices[f]), position(indices[f + 1]), position(indices[f + 2])};
    const D3DXVECTOR3 ab = corners[1] - corners[0], ac = corners[2] - corners[0];
    D3DXVECTOR3 normal;
    D3DXVec3Cross(&normal, &ab, &ac);
    D3DXVec3Normalize(&normal, &normal);
    for (int c = 0; c < 3; ++c) {
      D3DXVECTOR3 toNext = corners[(c + 1) % 3] - corners[c], toPrevious = corners[(c + 2) % 3] - corners[c];
      D3DXVec3Normalize(&toNext, &toNext);
      D3DXVec3Normalize(&toPrevious, &toPrevious);
      const float angle = std::acos(std::clamp(D3DXVec3Dot(&toNext, &toPrevious), -1.0f, 1.0f));
      sums[indices[f + c]] += normal * angle;
    }
  }
  for (size_t v = 0; v < count; ++v) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &sums[v]);
    std::memcpy(vertices.data() + v * layout.size + layout.normal, &n, 12);
  }
  return mesh->WriteVertices(vertices);
}

HRESULT WINAPI D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices, DWORD dwStride,
                                         D3DXVECTOR3* pCenter, FLOAT* pRadius) {
  if (!pFirstPosition || !pCenter || !pRadius || (NumVertices > 1 && dwStride < sizeof(D3DXVECTOR3)))
    return D3DERR_INVALIDCALL;
  const auto* bytes = reinterpret_cast<const uint8_t*>(pFirstPosition);
  auto at = [&](DWORD i) {
    D3DXVECTOR3 p;
    std::memcpy(&p, bytes + size_t(i) * dwStride, sizeof p);
    return p;
  };
  // The centre is the mean of the positions, the radius the distance to the farthest of them.
  D3DXVECTOR3 centre(0, 0, 0);
  for (DWORD i = 0; i < NumVertices; ++i) centre += at(i);
  if (NumVertices > 0) centre /= float(NumVertices);
  float radius = 0;
  for (DWORD i = 0; i < NumVertices; ++i) {
    const D3DXVECTOR3 d = at(i) - centre;
    radius = std::max(radius, D3DXVec3Length(&d));
  }
  *pCenter = centre;
  *pRadius = radius;
  return S_OK;
}
