// The height-field water of the water-ring layer: a rectangular grid of vertices whose heights and
// vertical velocities are simulated, so that drops spread as rings and die away. Every frame the
// vertex buffer is refilled with positions, normals, a shade and texture coordinates found by
// refracting the view ray through the surface onto a curved bottom. The grid knows nothing of
// layers: sizes and tuning values come from its owner.
#pragma once
#include <d3d9.h>
#include <d3dx9math.h>

#include <vector>

#include "document/com_holder.h"

namespace DX_V {
// The water's vertices: position, normal, shade and texture coordinates.
struct PNCT {
  float x, y, z, nx, ny, nz;
  D3DCOLOR color;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};
static_assert(sizeof(PNCT) == 36 && PNCT::FVF == 0x152);
}  // namespace DX_V

// One entry of the refraction table, indexed by the cosine between normal and view ray: how far the
// ray bends (a, b) and the shade of a surface seen at that angle.
struct RefractionEntry {
  float a = 0.0f;
  float b = 0.0f;
  D3DCOLOR shade = 0;
};

class RippleGrid {
 public:
  static constexpr int kTableSize = 256;
  // Every index of the 16-bit strip must name a vertex.
  static constexpr UINT kMaxVertices = 65536;
  // The fewest columns and rows that still leave an interior for drops to fall into.
  static constexpr UINT kMinSide = 4;

  struct Cell {
    float height = 0.0f;
    float velocity = 0.0f;
  };

  RippleGrid() = default;
  RippleGrid(const RippleGrid&) = delete;
  RippleGrid& operator=(const RippleGrid&) = delete;

  // Points this grid at the process-wide table, which the first grid to ask computes.
  void BuildRefractionTable();
  // New sizes, a calm surface, and both buffers made again. Returns the first failing call's error.
  HRESULT Resize(float width, float depth, float stretch, float density);
  // Makes whichever buffer is missing; the index buffer is filled with the grid's strip.
  HRESULT CreateBuffers();
  // Device loss: both buffers live in the default pool.
  void ReleaseBuffers();
  // One drop at a random interior vertex.
  void AddDrop();
  // Four update passes, then the vertex buffer is rewritten as seen from `eye`.
  HRESULT Simulate(const D3DXVECTOR3& eye);
  // The whole grid as one indexed strip. Returns the first failing call's error.
  HRESULT Draw();

  Cell& At(UINT row, UINT column) { return cells[size_t(row) * columns + column]; }

  float width = 1.0f;
  float depth = 1.0f;
  float inverseWidth = 1.0f;
  float inverseDepth = 1.0f;
  float sum = 0.0f;
  UINT indexCount = 0;
  UINT vertexCount = 16;
  std::vector<Cell> cells;
  const RefractionEntry* refractionTable = nullptr;
  UINT columns = 4;
  UINT rows = 4;
  ComHolder<IDirect3DIndexBuffer9> indexBuffer;
  ComHolder<IDirect3DVertexBuffer9> vertexBuffer;
  float velocityScale = 1.0f;
  float dropStrength = 0.5f;
  float damping = 0.99f;
  float refractionDepth = 0.2f;

 private:
  void UpdatePass();
  void FillVertices(DX_V::PNCT* out, const D3DXVECTOR3& eye) const;
};

// The grid's strip: it spirals inwards over a columns x rows grid, two indices per vertex.
std::vector<WORD> RippleStripIndices(UINT columns, UINT rows);
