#include "slideshow/ripple_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "platform/machine/machine.h"
#include "render/random.h"

namespace {

std::vector<DX_V::PNCT> ReadVertices(RippleGrid& grid) {
  std::vector<DX_V::PNCT> vertices;
  void* data = nullptr;
  if (!grid.vertexBuffer || FAILED(grid.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) return vertices;
  const auto* first = static_cast<const DX_V::PNCT*>(data);
  vertices.assign(first, first + grid.vertexCount);
  grid.vertexBuffer->Unlock();
  return vertices;
}

std::vector<WORD> ReadIndices(RippleGrid& grid) {
  std::vector<WORD> indices;
  void* data = nullptr;
  if (!grid.indexBuffer || FAILED(grid.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) return indices;
  const auto* first = static_cast<const WORD*>(data);
  indices.assign(first, first + grid.indexCount);
  grid.indexBuffer->Unlock();
  return indices;
}

double HeightSum(const RippleGrid& grid) {
  double sum = 0.0;
  for (const RippleGrid::Cell& cell : grid.cells) sum += cell.height;
  return sum;
}

double AbsoluteHeightSum(const RippleGrid& grid) {
  double sum = 0.0;
  for (const RippleGrid::Cell& cell : grid.cells) sum += std::fabs(cell.height);
  return sum;
}

float LargestHeight(const RippleGrid& grid) {
  float largest = 0.0f;
  for (const RippleGrid::Cell& cell : grid.cells) largest = std::max(largest, std::fabs(cell.height));
  return largest;
}

const D3DXVECTOR3 kEyeAbove(0.0f, 120.0f, 0.0f);

}  // namespace

class RippleGridTest : public LayerDeviceTest {
 protected:
  void TearDown() override {
    machine::Current().faults.failLocks = false;
    machine::Current().faults.failResourceCreation = false;
    LayerDeviceTest::TearDown();
  }
};

TEST_F(RippleGridTest, SizeFollowsProportionsAndStaysWithinSixteenBitIndices) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float width, depth, stretch, density;
    UINT columns, rows;
  };
  const Case cases[] = {
      {40, 30, 1, 1, 128, 96},
      {40, 30, 1.5f, 1, 128, 144},
      // 128 x 1.01 = 129.28: the rows come from 129 before its lowest bit goes (256.7, not 254.7).
      {100, 199, 1, 1.01f, 128, 256},
      // 256 x 300 would need 76800 vertices: the columns give way to 65536 / 300 = 218.
      {256, 300, 1, 2, 218, 300},
      // So wide that no row would be left, and no density at all: the smallest grid with an interior.
      {6400, 30, 1, 1, 128, 4},
      {40, 30, 1, 0, 4, 4},
      {40, 30, 1, nan, 4, 4},
      // So tall that the cap would leave two columns: the rows give way instead.
      {30, 6000, 1, 1, 4, 16384},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.depth << " stretch " << c.stretch << " density "
                                    << c.density);
    RippleGrid grid;
    ASSERT_EQ(grid.Resize(c.width, c.depth, c.stretch, c.density), S_OK);
    EXPECT_EQ(grid.columns, c.columns);
    EXPECT_EQ(grid.rows, c.rows);
    EXPECT_EQ(grid.vertexCount, c.columns * c.rows);
    EXPECT_EQ(grid.indexCount, 2 * c.columns * c.rows);
    EXPECT_LE(grid.vertexCount, 65536u);
    EXPECT_EQ(grid.cells.size(), size_t(grid.vertexCount));
    EXPECT_FLOAT_EQ(grid.width, c.width);
    EXPECT_FLOAT_EQ(grid.inverseDepth, 1.0f / c.depth);
    EXPECT_EQ(ReadIndices(grid).size(), size_t(grid.indexCount));
  }
}

TEST_F(RippleGridTest, ResizeCalmsTheWater) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  grid.AddDrop();
  grid.Simulate(kEyeAbove);
  ASSERT_GT(LargestHeight(grid), 0.0f);
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  for (const RippleGrid::Cell& cell : grid.cells) {
    EXPECT_EQ(cell.height, 0.0f);
    EXPECT_EQ(cell.velocity, 0.0f);
  }
}

TEST(RippleStripTest, FourByFourSpiral) {
  const std::vector<WORD> expected = {0, 4, 1, 5, 2, 6, 3,  7,  7,  6, 11, 10, 15, 14, 14, 10,
                                      13, 9, 12, 8, 8, 9, 4, 5, 5, 9, 6, 10, 10, 9, 9,  5};
  EXPECT_EQ(RippleStripIndices(4, 4), expected);
}

TEST(RippleStripTest, CoversEveryCellOnceWithNeighbourTriangles) {
  const std::array<std::array<UINT, 2>, 5> sizes = {{{4, 6}, {6, 4}, {12, 8}, {128, 96}, {218, 300}}};
  for (const auto& [columns, rows] : sizes) {
    SCOPED_TRACE(testing::Message() << columns << " x " << rows);
    const std::vector<WORD> strip = RippleStripIndices(columns, rows);
    const size_t count = size_t(columns) * rows;
    ASSERT_EQ(strip.size(), 2 * count);
    std::vector<bool> seen(count, false);
    for (WORD index : strip) {
      ASSERT_LT(index, count);
      seen[index] = true;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }));

    // Each drawn triangle joins neighbouring vertices, and the different ones together have the
    // area of the whole grid: no holes and no overlaps.
    std::set<std::array<WORD, 3>> triangles;
    int64_t doubledArea = 0;
    for (size_t i = 2; i < strip.size(); ++i) {
      std::array<WORD, 3> t = {strip[i - 2], strip[i - 1], strip[i]};
      const auto row = [&](WORD v) { return int64_t(v / columns); };
      const auto column = [&](WORD v) { return int64_t(v % columns); };
      const int64_t cross = (column(t[1]) - column(t[0])) * (row(t[2]) - row(t[0])) -
                            (column(t[2]) - column(t[0])) * (row(t[1]) - row(t[0]));
      if (cross == 0) continue;  // a turn of the spiral
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
          ASSERT_LE(std::abs(row(t[a]) - row(t[b])), 1);
          ASSERT_LE(std::abs(column(t[a]) - column(t[b])), 1);
        }
      }
      std::sort(t.begin(), t.end());
      // The innermost turn retraces a few triangles it has drawn already: same pixels, no harm.
      if (triangles.insert(t).second) doubledArea += std::abs(cross);
    }
    EXPECT_EQ(doubledArea, 2 * int64_t(columns - 1) * int64_t(rows - 1));
  }
}

TEST_F(RippleGridTest, IndexBufferHoldsTheStrip) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  EXPECT_EQ(ReadIndices(grid), RippleStripIndices(128, 96));
}

TEST(RefractionTableTest, EntriesFollowSnellsLawForWater) {
  RippleGrid grid;
  grid.BuildRefractionTable();
  ASSERT_NE(grid.refractionTable, nullptr);
  struct Case {
    int k;
    float a, b;
    D3DCOLOR shade;
  };
  // cos1 = k / 256, sin2 = sin1 / 1.333: a = (sin1 / sin2) cos2 - cos1, b = -sin2 / sin1.
  const Case cases[] = {
      {0, 0.88141f, -0.75019f, 253u << 24},
      {128, 0.51336f, -0.75019f, 31u << 24},  // 127^3 / 65536 = 31.3
      {255, 0.33398f, -0.75019f, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.k);
    const RefractionEntry& entry = grid.refractionTable[c.k];
    EXPECT_NEAR(entry.a, c.a, 2e-4);
    EXPECT_NEAR(entry.b, c.b, 2e-4);
    EXPECT_EQ(entry.shade, c.shade);
  }
  RippleGrid other;
  other.BuildRefractionTable();
  EXPECT_EQ(other.refractionTable, grid.refractionTable);
}

TEST_F(RippleGridTest, DropPushesDownNineVelocitiesAroundARandomInteriorVertex) {
  for (uint32_t seed : {1u, 77u, 4242u}) {
    SCOPED_TRACE(seed);
    RippleGrid grid;
    ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
    grid.dropStrength = 0.8f;
    SRand(seed);
    const UINT column = UINT(Rand()) % 126 + 1;  // the column is drawn first, then the row
    const UINT row = UINT(Rand()) % 94 + 1;
    SRand(seed);
    grid.AddDrop();
    for (UINT j = 0; j < grid.rows; ++j) {
      for (UINT i = 0; i < grid.columns; ++i) {
        const int away = (j != row) + (i != column);
        float expected = 0.0f;
        if (std::abs(int(j) - int(row)) <= 1 && std::abs(int(i) - int(column)) <= 1)
          expected = away == 0 ? -0.2f : (away == 1 ? -0.1f : -0.05f);
        ASSERT_FLOAT_EQ(grid.At(j, i).velocity, expected) << "row " << j << " column " << i;
        ASSERT_EQ(grid.At(j, i).height, 0.0f);
      }
    }
  }
}

TEST_F(RippleGridTest, WaterLevelStaysPutAndTheRimStaysStill) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  SRand(5);
  for (int frame = 0; frame < 60; ++frame) {
    if (frame % 10 == 0) grid.AddDrop();
    ASSERT_EQ(grid.Simulate(kEyeAbove), S_OK);
    // Up to the rounding of single-precision sums over 12288 vertices.
    EXPECT_NEAR(HeightSum(grid), 0.0, 1e-3 * AbsoluteHeightSum(grid)) << "frame " << frame;
    // The rim was reset in the last pass and then took the level correction like every vertex.
    const float rim = grid.At(0, 0).height;
    for (UINT i = 0; i < grid.columns; ++i) {
      for (UINT j : {0u, grid.rows - 1}) {
        ASSERT_EQ(grid.At(j, i).velocity, 0.0f);
        ASSERT_EQ(grid.At(j, i).height, rim);
      }
    }
    for (UINT j = 0; j < grid.rows; ++j) {
      for (UINT i : {0u, grid.columns - 1}) {
        ASSERT_EQ(grid.At(j, i).velocity, 0.0f);
        ASSERT_EQ(grid.At(j, i).height, rim);
      }
    }
  }
}

TEST_F(RippleGridTest, RingsSpreadAndDieAway) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  grid.At(48, 64).velocity = -1.0f;
  for (int frame = 0; frame < 5; ++frame) grid.Simulate(kEyeAbove);
  const float early = LargestHeight(grid);
  // The ring has reached vertices beyond the drop's own neighbours, evenly in every direction.
  EXPECT_NE(grid.At(48, 68).height, 0.0f);
  EXPECT_NEAR(grid.At(48, 68).height, grid.At(48, 60).height, 1e-5f);
  EXPECT_NEAR(grid.At(48, 68).height, grid.At(52, 64).height, 1e-5f);
  for (int frame = 0; frame < 400; ++frame) grid.Simulate(kEyeAbove);
  const float late = LargestHeight(grid);
  EXPECT_TRUE(std::isfinite(late));
  EXPECT_LT(late, early / 10.0f);
}

TEST_F(RippleGridTest, CalmWaterLiesFlatAndShowsThePictureUnbent) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  ASSERT_EQ(grid.Simulate(kEyeAbove), S_OK);
  const std::vector<DX_V::PNCT> vertices = ReadVertices(grid);
  ASSERT_EQ(vertices.size(), size_t(grid.vertexCount));
  const DX_V::PNCT& first = vertices.front();
  const DX_V::PNCT& last = vertices.back();
  EXPECT_FLOAT_EQ(first.x, -20.0f);
  EXPECT_FLOAT_EQ(first.z, -15.0f);
  EXPECT_NEAR(last.x, 20.0f, 1e-4);
  EXPECT_NEAR(last.z, 15.0f, 1e-4);
  for (const DX_V::PNCT& v : vertices) {
    ASSERT_EQ(v.y, 0.0f);
    ASSERT_EQ(v.nx, 0.0f);
    ASSERT_EQ(v.ny, 1.0f);
    ASSERT_EQ(v.nz, 0.0f);
    // Seen from 120 units up, even the corners are viewed almost head-on: no shade.
    ASSERT_EQ(v.color, 0u);
  }
  // Mirror-image vertices look up mirror-image points; row 0 is the picture's top.
  const UINT columns = grid.columns;
  for (UINT i = 0; i < columns; ++i) {
    EXPECT_NEAR(vertices[i].u + vertices[columns - 1 - i].u, 1.0f, 1e-5);
    if (i > 0) {
      EXPECT_GT(vertices[i].u, vertices[i - 1].u);
    }
  }
  EXPECT_LT(first.v, 0.5f);
  EXPECT_GT(last.v, 0.5f);
}

TEST_F(RippleGridTest, VertexStraightBelowTheEyeSeesStraightThrough) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  const UINT row = 20, column = 100;
  const float x = -20.0f + float(column) * 40.0f / 127.0f;
  const float z = -15.0f + float(row) * 30.0f / 95.0f;
  for (float depth : {0.2f, 1.0f}) {
    SCOPED_TRACE(depth);
    grid.refractionDepth = depth;
    ASSERT_EQ(grid.Simulate(D3DXVECTOR3(x, 120.0f, z)), S_OK);
    const DX_V::PNCT v = ReadVertices(grid).at(size_t(row) * grid.columns + column);
    // The ray goes straight down, so only the edge shrink (1 - 0.05 depth) moves the look-up.
    const float shrink = 1.0f - 0.05f * depth;
    EXPECT_NEAR(v.u, shrink * x / 40.0f + 0.5f, 1e-5);
    EXPECT_NEAR(v.v, shrink * z / 30.0f + 0.5f, 1e-5);
  }
}

TEST_F(RippleGridTest, NormalsLeanAwayFromRisingWater) {
  struct Case {
    const char* slope;
    float perColumn, perRow;
    D3DXVECTOR3 normal;  // (left - right, 1, up - down) over three neighbour pairs each
  };
  const float s = 0.1f;
  const Case cases[] = {
      {"rising to the right", s, 0, D3DXVECTOR3(-6 * s, 1, 0)},
      {"rising towards the bottom rows", 0, s, D3DXVECTOR3(0, 1, -6 * s)},
      {"both", s, s, D3DXVECTOR3(-6 * s, 1, -6 * s)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.slope);
    RippleGrid grid;
    ASSERT_EQ(grid.Resize(40, 30, 1, 0.125f), S_OK);  // 16 x 12
    // Heights then only move all together (the level correction), so the slope stays as set.
    grid.velocityScale = 0.0f;
    for (UINT j = 0; j < grid.rows; ++j)
      for (UINT i = 0; i < grid.columns; ++i) grid.At(j, i).height = c.perColumn * float(i) + c.perRow * float(j);
    ASSERT_EQ(grid.Simulate(kEyeAbove), S_OK);
    const std::vector<DX_V::PNCT> vertices = ReadVertices(grid);
    D3DXVECTOR3 expected;
    D3DXVec3Normalize(&expected, &c.normal);
    for (UINT j = 2; j + 2 < grid.rows; ++j) {
      for (UINT i = 2; i + 2 < grid.columns; ++i) {
        const DX_V::PNCT& v = vertices[size_t(j) * grid.columns + i];
        ASSERT_NEAR(v.nx, expected.x, 1e-5) << j << "," << i;
        ASSERT_NEAR(v.ny, expected.y, 1e-5) << j << "," << i;
        ASSERT_NEAR(v.nz, expected.z, 1e-5) << j << "," << i;
      }
    }
  }
}

TEST_F(RippleGridTest, EyeLowOverTheWaterShadesTheFarSideAndStaysInTheTable) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 0.25f), S_OK);  // 32 x 24
  SRand(3);
  grid.AddDrop();
  // Low over the left edge, and beneath the water (where the normals face away from the eye).
  for (const D3DXVECTOR3& eye : {D3DXVECTOR3(-20, 5, 0), D3DXVECTOR3(0, -50, 0)}) {
    ASSERT_EQ(grid.Simulate(eye), S_OK);
    const std::vector<DX_V::PNCT> vertices = ReadVertices(grid);
    for (const DX_V::PNCT& v : vertices) {
      ASSERT_TRUE(std::isfinite(v.u) && std::isfinite(v.v));
    }
    if (eye.y > 0) {
      // Near the eye the view is steep enough to stay clear; across the water it grazes and darkens.
      EXPECT_EQ(vertices[size_t(12) * grid.columns + 1].color >> 24, 0u);
      EXPECT_GT(vertices[size_t(12) * grid.columns + 31].color >> 24, 150u);
    } else {
      EXPECT_EQ(vertices[size_t(12) * grid.columns + 16].color, 253u << 24);
    }
  }
}

TEST_F(RippleGridTest, VeryWideWaterKeepsFiniteTextureCoordinates) {
  RippleGrid grid;
  // Corners 100 units out lie far outside the bottom sphere: their rays miss it.
  ASSERT_EQ(grid.Resize(200, 30, 1, 0.25f), S_OK);
  grid.AddDrop();
  ASSERT_EQ(grid.Simulate(kEyeAbove), S_OK);
  for (const DX_V::PNCT& v : ReadVertices(grid)) ASSERT_TRUE(std::isfinite(v.u) && std::isfinite(v.v));
}

TEST_F(RippleGridTest, DrawsOneIndexedStripOverTheGrid) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  ASSERT_NE(recorder, nullptr);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  recorder->enabled = true;
  EXPECT_EQ(grid.Draw(), S_OK);
  recorder->enabled = false;
  device_->EndScene();
  const auto draw = std::find_if(recorder->calls.begin(), recorder->calls.end(),
                                 [](const d3d9::RecordedCall& call) { return call.name == "DrawIndexedPrimitive"; });
  ASSERT_NE(draw, recorder->calls.end());
  EXPECT_EQ(draw->args, (std::vector<uint64_t>{D3DPT_TRIANGLESTRIP, 0, 0, 12288, 0, 24574}));
  EXPECT_EQ(draw->state.fvf, 0x152u);
  EXPECT_EQ(draw->state.streamStride, 36u);
  EXPECT_EQ(draw->state.stream, grid.vertexBuffer.Get());
  EXPECT_EQ(draw->state.indices, grid.indexBuffer.Get());
}

TEST_F(RippleGridTest, BufferFailuresAreReportedAndLeaveTheWaterUndrawn) {
  RippleGrid grid;
  machine::Current().faults.failResourceCreation = true;
  EXPECT_TRUE(FAILED(grid.Resize(40, 30, 1, 1)));
  machine::Current().faults.failResourceCreation = false;
  EXPECT_FALSE(grid.indexBuffer);
  EXPECT_FALSE(grid.vertexBuffer);
  // The water still moves; there is only nothing to write it into or draw.
  grid.AddDrop();
  EXPECT_TRUE(FAILED(grid.Simulate(kEyeAbove)));
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  recorder->enabled = true;
  EXPECT_TRUE(FAILED(grid.Draw()));
  recorder->enabled = false;
  EXPECT_TRUE(recorder->calls.empty());

  // An index buffer that could not be filled is not kept.
  machine::Current().faults.failLocks = true;
  EXPECT_TRUE(FAILED(grid.Resize(40, 30, 1, 1)));
  machine::Current().faults.failLocks = false;
  EXPECT_FALSE(grid.indexBuffer);
}

TEST_F(RippleGridTest, FailedLockLeavesTheVerticesAsTheyWere) {
  RippleGrid grid;
  ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
  ASSERT_EQ(grid.Simulate(kEyeAbove), S_OK);
  const std::vector<DX_V::PNCT> before = ReadVertices(grid);
  grid.At(48, 64).velocity = -1.0f;
  machine::Current().faults.failLocks = true;
  EXPECT_TRUE(FAILED(grid.Simulate(kEyeAbove)));
  machine::Current().faults.failLocks = false;
  const std::vector<DX_V::PNCT> after = ReadVertices(grid);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(std::memcmp(after.data(), before.data(), after.size() * sizeof(DX_V::PNCT)), 0);
}

TEST_F(RippleGridTest, BuffersLiveInTheDefaultPoolUntilReleased) {
  {
    RippleGrid grid;
    ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
    EXPECT_EQ(d3d9::LiveDefaultPoolResources(device_.Get()), 2);
    grid.ReleaseBuffers();
    EXPECT_EQ(d3d9::LiveDefaultPoolResources(device_.Get()), 0);
    ASSERT_EQ(grid.Resize(40, 30, 1, 1), S_OK);
    EXPECT_EQ(d3d9::LiveDefaultPoolResources(device_.Get()), 2);
  }
  EXPECT_EQ(d3d9::LiveDefaultPoolResources(device_.Get()), 0);
}

TEST(RippleGridUnsizedTest, DropsAndSimulationWaitForTheFirstResize) {
  RippleGrid grid;
  grid.AddDrop();
  EXPECT_TRUE(FAILED(grid.Simulate(kEyeAbove)));
  EXPECT_TRUE(FAILED(grid.Draw()));
  EXPECT_TRUE(grid.cells.empty());
}
