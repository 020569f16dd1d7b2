// The reader of text .x files: the meshes of a file, with the transforms of the frames that hold
// them applied, merged into one triangle list.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include <d3dx9.h>

namespace d3dx9 {

struct XMaterial {
  D3DMATERIAL9 material{};
  std::string textureFile;  // empty when the material has none
};

struct XMesh {
  std::vector<D3DXVECTOR3> positions;
  std::vector<D3DXVECTOR3> normals;  // one per position, or empty when no mesh gave normals
  std::vector<float> texcoords;      // u, v per position, or empty when no mesh gave them
  std::vector<DWORD> indices;        // three per triangle; polygons are split into fans
  std::vector<DWORD> attributes;     // material of each triangle
  std::vector<XMaterial> materials;  // at least one
};

// Fails with D3DXERR_INVALIDDATA for a file that is not text .x, is damaged or holds no mesh
// with faces.
HRESULT ParseXFile(const void* data, size_t size, XMesh& out);

}  // namespace d3dx9
