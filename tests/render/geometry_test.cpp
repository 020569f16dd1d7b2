#include <gtest/gtest.h>

#include <vector>

#include "device_fixture.h"
#include "render/grid_mesh.h"
#include "render/indexed_mesh.h"

namespace {

template <class Mesh>
std::vector<WORD> Indices(Mesh& mesh) {
  std::vector<WORD> out;
  if (WORD* index = mesh.LockIndices()) {
    out.assign(index, index + 3 * mesh.triangleCount);
    mesh.UnlockIndices();
  }
  return out;
}

}  // namespace

using GeometryTest = RenderDeviceTest;

TEST_F(GeometryTest, SpriteArrayQuadsAreTwoTrianglesInStripOrder) {
  DS_SpriteArrayT<DX_V::PCT> sprites;
  sprites.Build(2);
  EXPECT_EQ(sprites.vertexCount, 8u);
  EXPECT_EQ(sprites.triangleCount, 4u);
  EXPECT_EQ(sprites.primitiveType, D3DPT_TRIANGLELIST);
  EXPECT_EQ(Indices(sprites), (std::vector<WORD>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
}

TEST_F(GeometryTest, SpriteArrayBeyondSixteenBitIndicesIsRefused) {
  DS_SpriteArrayT<DX_V::PCT> sprites;
  sprites.Build(16383);
  ASSERT_TRUE(sprites.indexBuffer);
  EXPECT_EQ(Indices(sprites).back(), 4 * 16383 - 1);
  sprites.Build(16385);  // would need index 65539, which wraps in 16 bits
  EXPECT_FALSE(sprites.vertexBuffer);
  EXPECT_FALSE(sprites.indexBuffer);
  EXPECT_EQ(sprites.vertexCount, 0u);
  EXPECT_EQ(sprites.triangleCount, 0u);
}

TEST_F(GeometryTest, GridIndicesCoverEightByEightCells) {
  DS_IndexedMesh<DX_V::PT> grid;
  CreateGridIndices9x9(grid);
  EXPECT_EQ(grid.triangleCount, 128u);
  const std::vector<WORD> indices = Indices(grid);
  ASSERT_EQ(indices.size(), 384u);
  EXPECT_EQ(std::vector<WORD>(indices.begin(), indices.begin() + 6), (std::vector<WORD>{0, 1, 9, 9, 1, 10}));
  // The last cell: row 7, column 7.
  EXPECT_EQ(std::vector<WORD>(indices.end() - 6, indices.end()), (std::vector<WORD>{70, 71, 79, 79, 71, 80}));
}

TEST_F(GeometryTest, FillGridBilinearSpansTheCorners) {
  GridMesh grid;
  grid.columns = 8;
  grid.rows = 8;
  grid.CreateVB(81, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
  QuadCorners corners;
  corners.corners[0] = {0, 600, 0, 0, 1};
  corners.corners[1] = {0, 0, 0, 0, 0};
  corners.corners[2] = {800, 600, 0, 1, 1};
  corners.corners[3] = {800, 0, 0, 1, 0};
  FillGridBilinear(grid, corners);
  const DX_V::PT* v = grid.LockVertices();
  ASSERT_NE(v, nullptr);
  struct Case {
    int index;
    float x, y, u, v;
  };
  const Case cases[] = {{0, 0, 600, 0, 1}, {1, 0, 525, 0, 0.875f}, {8, 0, 0, 0, 0}, {9, 100, 600, 0.125f, 1},
                        {80, 800, 0, 1, 0}};
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(v[c.index].x, c.x) << c.index;
    EXPECT_FLOAT_EQ(v[c.index].y, c.y) << c.index;
    EXPECT_FLOAT_EQ(v[c.index].u, c.u) << c.index;
    EXPECT_FLOAT_EQ(v[c.index].v, c.v) << c.index;
  }
  grid.UnlockVertices();
}

TEST_F(GeometryTest, FillGridBilinearLeavesTooSmallABufferAlone) {
  GridMesh grid;
  grid.columns = 8;
  grid.rows = 8;
  grid.CreateVB(4, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
  DX_V::PT* v = grid.LockVertices();
  ASSERT_NE(v, nullptr);
  for (int i = 0; i < 4; ++i) v[i] = {-1, -1, -1, -1, -1};
  grid.UnlockVertices();
  FillGridBilinear(grid, QuadCorners());
  v = grid.LockVertices();
  EXPECT_EQ(v[0].x, -1.0f);
  grid.UnlockVertices();
}
