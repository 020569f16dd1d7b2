#include "slideshow/ripple_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "document/device.h"
#include "render/float_helpers.h"
#include "render/random.h"

namespace {

constexpr float kWaterIndex = 1.333f;
// The refracted ray ends where it leaves a sphere of this radius about a point this far below the
// surface: a curved bottom, deeper in the middle.
constexpr float kBottomRadius = 35.0f;
constexpr float kBottomDepth = 20.0f;
constexpr int kPasses = 4;
// Beyond this many columns or rows no picture needs more; it only keeps the counts in range.
constexpr float kMaxSide = 1 << 20;

std::array<RefractionEntry, RippleGrid::kTableSize> ComputeRefractionTable() {
  std::array<RefractionEntry, RippleGrid::kTableSize> table{};
  for (int k = 0; k < RippleGrid::kTableSize; ++k) {
    const float cos1 = static_cast<float>(k) * 0.00390625f;
    const float theta1 = std::acos(cos1);
    const float s1 = std::sin(theta1);
    const float s2 = s1 / kWaterIndex;
    const float theta2 = std::asin(s2);
    RefractionEntry& entry = table[size_t(k)];
    entry.a = (s1 / s2) * std::cos(theta2) - cos1;
    entry.b = -s2 / s1;
    const uint32_t dark = static_cast<uint32_t>(255 - k);
    entry.shade = static_cast<D3DCOLOR>(dark * dark * dark / 65536u) << 24;
  }
  return table;
}

// trunc(value) as a count, with NaN and negatives as 0 and huge values held at kMaxSide.
UINT WholeCount(float value) {
  const float whole = std::trunc(value);
  if (!(whole > 0.0f)) return 0;
  return static_cast<UINT>(std::min(whole, kMaxSide));
}

}  // namespace

std::vector<WORD> RippleStripIndices(UINT columns, UINT rows) {
  const size_t count = size_t(columns) * rows;
  const size_t total = 2 * count;
  std::vector<WORD> indices;
  indices.reserve(total);
  const int64_t nx = columns;
  // An index outside the grid (which the spiral makes only for sizes it was not meant for) names
  // vertex 0, so the strip never reads past the vertex buffer.
  const auto emit = [&](int64_t row, int64_t column) {
    if (indices.size() >= total) return;
    const int64_t index = row * nx + column;
    indices.push_back(index >= 0 && size_t(index) < count ? static_cast<WORD>(index) : WORD{0});
  };
  int64_t c = 0, r = 0, n = columns, m = rows;
  while (indices.size() < total) {
    const size_t before = indices.size();
    if (n > 0) {
      for (int64_t i = 0; i < n; ++i, ++c) emit(r, c), emit(r + 1, c);
      c -= 1, r += 1;
    }
    if (m > 1) {
      for (int64_t i = 0; i < m - 1; ++i, ++r) emit(r, c), emit(r, c - 1);
      r -= 1, c -= 1;
    }
    if (n > 1) {
      for (int64_t i = 0; i < n - 1; ++i, --c) emit(r, c), emit(r - 1, c);
      c += 1, r -= 1;
    }
    if (m > 2) {
      for (int64_t i = 0; i < m - 2; ++i, --r) emit(r, c), emit(r, c + 1);
    }
    m -= 2, n -= 2, r += 1, c += 1;
    if (indices.size() == before) break;  // an odd size ran out of spiral: the rest stays degenerate
  }
  indices.resize(total, WORD{0});
  return indices;
}

void RippleGrid::BuildRefractionTable() {
  static const std::array<RefractionEntry, kTableSize> shared = ComputeRefractionTable();
  if (!refractionTable) refractionTable = shared.data();
}

HRESULT RippleGrid::Resize(float newWidth, float newDepth, float stretch, float density) {
  const UINT n = WholeCount(128.0f * density);
  UINT newColumns = n & ~1u;
  UINT newRows = WholeCount(static_cast<float>(n) * (newDepth / newWidth) * stretch) & ~1u;
  // A grid without interior vertices would have no place for a drop, and one whose strip needs more
  // than 16-bit indices could not be drawn: both are held within the sizes that work.
  newColumns = std::max(newColumns, kMinSide);
  newRows = std::clamp(newRows, kMinSide, kMaxVertices / kMinSide);
  if (uint64_t(newColumns) * newRows > kMaxVertices) newColumns = (kMaxVertices / newRows) & ~1u;
  columns = newColumns;
  rows = newRows;

  width = newWidth;
  depth = newDepth;
  vertexCount = columns * rows;
  indexCount = 2 * vertexCount;
  inverseWidth = 1.0f / newWidth;
  inverseDepth = 1.0f / newDepth;
  cells.assign(vertexCount, Cell{});

  ReleaseBuffers();
  return CreateBuffers();
}

HRESULT RippleGrid::CreateBuffers() {
  if (!g_Device) return D3DERR_INVALIDCALL;
  if (!indexBuffer) {
    HRESULT hr = g_Device->CreateIndexBuffer(2 * indexCount, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, indexBuffer.Out(),
                                             nullptr);
    if (FAILED(hr)) return hr;
    void* data = nullptr;
    hr = indexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(hr) || !data) {
      // An index buffer that could not be filled would draw garbage: without it the water is undrawn.
      indexBuffer.Release();
      return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
    }
    const std::vector<WORD> strip = RippleStripIndices(columns, rows);
    std::memcpy(data, strip.data(), strip.size() * sizeof(WORD));
    indexBuffer->Unlock();
  }
  if (!vertexBuffer) {
    const HRESULT hr = g_Device->CreateVertexBuffer(sizeof(DX_V::PNCT) * vertexCount, D3DUSAGE_DYNAMIC,
                                                    DX_V::PNCT::FVF, D3DPOOL_DEFAULT, vertexBuffer.Out(), nullptr);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

void RippleGrid::ReleaseBuffers() {
  indexBuffer.Release();
  vertexBuffer.Release();
}

void RippleGrid::AddDrop() {
  if (cells.size() != size_t(vertexCount)) return;  // not sized yet
  const UINT column = static_cast<UINT>(Rand()) % (columns - 2) + 1;
  const UINT row = static_cast<UINT>(Rand()) % (rows - 2) + 1;
  for (int dr = -1; dr <= 1; ++dr) {
    for (int dc = -1; dc <= 1; ++dc) {
      const int away = (dr != 0) + (dc != 0);  // 0 the centre, 1 an edge neighbour, 2 a corner
      const float share = away == 0 ? 0.25f : (away == 1 ? 0.125f : 0.0625f);
      At(UINT(int(row) + dr), UINT(int(column) + dc)).velocity -= dropStrength * share;
    }
  }
}

void RippleGrid::UpdatePass() {
  sum = 0.0f;
  for (UINT j = 0; j < rows; ++j) {
    for (UINT i = 0; i < columns; ++i) {
      Cell& cell = At(j, i);
      float average = 0.0f;
      if (j == 0 || i == 0 || j + 1 == rows || i + 1 == columns) {
        // The rim holds the water still.
        cell.height = 0.0f;
        cell.velocity = 0.0f;
      } else {
        const float corners =
            At(j - 1, i - 1).height + At(j - 1, i + 1).height + At(j + 1, i - 1).height + At(j + 1, i + 1).height;
        const float edges = At(j - 1, i).height + At(j + 1, i).height + At(j, i - 1).height + At(j, i + 1).height;
        average = corners / 12.0f + edges / 6.0f;
      }
      cell.velocity = (average - cell.height) * 0.25f + cell.velocity * damping;
      sum += cell.velocity + cell.height;
    }
  }
  // Taking the mean away keeps the water level where it was, whatever the drops added.
  sum /= static_cast<float>(vertexCount);
  for (Cell& cell : cells) cell.height = cell.height + cell.velocity * velocityScale - sum;
}

HRESULT RippleGrid::Simulate(const D3DXVECTOR3& eye) {
  if (cells.size() != size_t(vertexCount) || vertexCount == 0) return D3DERR_INVALIDCALL;  // not sized yet
  for (int pass = 0; pass < kPasses; ++pass) UpdatePass();
  if (!vertexBuffer) return D3DERR_INVALIDCALL;
  BuildRefractionTable();
  void* data = nullptr;
  const HRESULT hr = vertexBuffer->Lock(0, 0, &data, 0);
  if (FAILED(hr)) return hr;
  if (!data) return D3DERR_INVALIDCALL;
  FillVertices(static_cast<DX_V::PNCT*>(data), eye);
  vertexBuffer->Unlock();
  return S_OK;
}

void RippleGrid::FillVertices(DX_V::PNCT* out, const D3DXVECTOR3& eye) const {
  const float dx = width / static_cast<float>(columns - 1);
  const float dz = depth / static_cast<float>(rows - 1);
  const float shrink = 1.0f - refractionDepth * 0.05f;
  const auto height = [this](UINT row, UINT column) { return cells[size_t(row) * columns + column].height; };
  for (UINT j = 0; j < rows; ++j) {
    const UINT up = j == 0 ? rows - 1 : j - 1;
    const UINT down = j + 1 == rows ? 0 : j + 1;
    const float z = -depth / 2.0f + static_cast<float>(j) * dz;
    for (UINT i = 0; i < columns; ++i) {
      const UINT left = i == 0 ? columns - 1 : i - 1;
      const UINT right = i + 1 == columns ? 0 : i + 1;
      const float x = -width / 2.0f + static_cast<float>(i) * dx;
      const float h = height(j, i);
      DX_V::PNCT& vertex = out[size_t(j) * columns + i];
      vertex.x = x;
      vertex.y = h;
      vertex.z = z;

      const float a1 = height(up, left) - height(down, right);
      const float a2 = height(up, i) - height(down, i);
      const float a3 = height(up, right) - height(down, left);
      const float a4 = height(j, left) - height(j, right);
      D3DXVECTOR3 normal(a1 - a3 + a4, 1.0f, a1 + a2 + a3);
      D3DXVec3Normalize(&normal, &normal);
      vertex.nx = normal.x;
      vertex.ny = normal.y;
      vertex.nz = normal.z;

      const D3DXVECTOR3 position(x, h, z);
      D3DXVECTOR3 toEye = eye - position;
      D3DXVec3Normalize(&toEye, &toEye);
      // A normal turned away from the eye (only an eye low over the water sees one) takes the
      // table's edge instead of a place outside it.
      const int k = std::clamp<int>(RoundToInt(255.0f * D3DXVec3Dot(&normal, &toEye)), 0, kTableSize - 1);
      const RefractionEntry& entry = refractionTable[k];
      vertex.color = entry.shade;

      const D3DXVECTOR3 refracted = (entry.a * normal + toEye) * entry.b;
      const D3DXVECTOR3 start(x, h - kBottomDepth, z);
      const float b = 2.0f * D3DXVec3Dot(&refracted, &start);
      const float c = D3DXVec3Dot(&start, &start) - kBottomRadius * kBottomRadius;
      // A ray that misses the bottom sphere (far corners of a very wide grid) ends where it passes
      // closest to it, rather than at a root that does not exist.
      const float discriminant = std::max(b * b - 4.0f * c, 0.0f);
      const float t = (std::sqrt(discriminant) - b) / 2.0f * refractionDepth;
      vertex.u = shrink * (x + refracted.x * t) * inverseWidth + 0.5f;
      vertex.v = shrink * (z + refracted.z * t) * inverseDepth + 0.5f;
    }
  }
}

HRESULT RippleGrid::Draw() {
  if (!g_Device || !vertexBuffer || !indexBuffer) return D3DERR_INVALIDCALL;
  HRESULT hr = g_Device->SetFVF(DX_V::PNCT::FVF);
  if (FAILED(hr)) return hr;
  hr = g_Device->SetStreamSource(0, vertexBuffer.Get(), 0, sizeof(DX_V::PNCT));
  if (FAILED(hr)) return hr;
  hr = g_Device->SetIndices(indexBuffer.Get());
  if (FAILED(hr)) return hr;
  return g_Device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, vertexCount, 0, indexCount - 2);
}
