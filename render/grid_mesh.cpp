#include "render/grid_mesh.h"

namespace {

QuadCorner Sum(const QuadCorner& a, const QuadCorner& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z, a.u + b.u, a.v + b.v};
}
QuadCorner Difference(const QuadCorner& a, const QuadCorner& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, a.u - b.u, a.v - b.v};
}
QuadCorner Scaled(const QuadCorner& a, float k) { return {a.x * k, a.y * k, a.z * k, a.u * k, a.v * k}; }
QuadCorner Divided(const QuadCorner& a, float k) { return {a.x / k, a.y / k, a.z / k, a.u / k, a.v / k}; }

}  // namespace

void CreateGridIndices9x9(DS_IndexedMesh<DX_V::PT>& mesh) {
  mesh.indexBuffer.Release();
  mesh.lockedIndices = nullptr;
  mesh.triangleCount = 128;
  if (!g_Device) return;
  g_Device->CreateIndexBuffer(2048, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, mesh.indexBuffer.Out(),
                              nullptr);
  WORD* index = mesh.LockIndices();
  if (!index) return;
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      const WORD a = static_cast<WORD>(9 * r + c);
      const WORD cell[6] = {a, WORD(a + 1), WORD(a + 9), WORD(a + 9), WORD(a + 1), WORD(a + 10)};
      for (WORD value : cell) *index++ = value;
    }
  }
  mesh.UnlockIndices();
}

void FillGridBilinear(GridMesh& grid, const QuadCorners& quad) {
  const INT columns = grid.columns;
  const INT rows = grid.rows;
  if (columns < 1 || rows < 1 || columns > 65535 || rows > 65535) return;
  const uint64_t needed = uint64_t(columns + 1) * uint64_t(rows + 1);
  if (needed > grid.vertexCount) return;
  DX_V::PT* vertex = grid.LockVertices();
  if (!vertex) return;
  const QuadCorner* k = quad.corners;
  const QuadCorner d02 = Divided(Difference(k[2], k[0]), static_cast<float>(rows));
  const QuadCorner d13 = Divided(Difference(k[3], k[1]), static_cast<float>(rows));
  for (INT r = 0; r <= rows; ++r) {
    const QuadCorner p = Sum(k[0], Scaled(d02, static_cast<float>(r)));
    const QuadCorner q = Sum(k[1], Scaled(d13, static_cast<float>(r)));
    const QuadCorner step = Divided(Difference(q, p), static_cast<float>(columns));
    for (INT c = 0; c <= columns; ++c) {
      const QuadCorner point = Sum(p, Scaled(step, static_cast<float>(c)));
      *vertex++ = DX_V::PT{point.x, point.y, point.z, point.u, point.v};
    }
  }
  grid.UnlockVertices();
}
