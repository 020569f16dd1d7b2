#include "document/mesh_loaders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "device_fixture.h"
#include "platform/d3dx9/com_object.h"
#include "platform/machine/machine.h"

namespace {

// A cube of side 2 around (10, 0, 0), its six sides as quads.
const std::string kCube = R"(xof 0303txt 0032
Mesh Cube {
 8;
 9.0;-1.0;-1.0;, 11.0;-1.0;-1.0;, 11.0;1.0;-1.0;, 9.0;1.0;-1.0;,
 9.0;-1.0;1.0;, 11.0;-1.0;1.0;, 11.0;1.0;1.0;, 9.0;1.0;1.0;;
 6;
 4;0,3,2,1;, 4;4,5,6,7;, 4;0,1,5,4;, 4;2,3,7,6;, 4;1,2,6,5;, 4;3,0,4,7;;
 MeshTextureCoords {
  8;
  0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;, 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;;
 }
}
)";

std::vector<WORD> Indices(const MeshEntry& entry) {
  std::vector<WORD> out;
  void* data = nullptr;
  if (!entry.indexBuffer || FAILED(entry.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) return out;
  out.assign(static_cast<WORD*>(data), static_cast<WORD*>(data) + 3 * entry.faceCount);
  entry.indexBuffer->Unlock();
  return out;
}

}  // namespace

using MeshLoadersTest = RenderDeviceTest;

TEST_F(MeshLoadersTest, CubeGivesCountsIndicesAndSphere) {
  const int liveBefore = d3dx9::LiveObjects();
  MeshEntry entry;
  LoadMeshFromMemory(entry, kCube.data(), UINT(kCube.size()), 32);
  // Every mesh and buffer D3DX handed out along the way is gone again.
  EXPECT_EQ(d3dx9::LiveObjects(), liveBefore);
  EXPECT_EQ(entry.vertexCount, 8u);
  EXPECT_EQ(entry.faceCount, 12u);
  const std::vector<WORD> indices = Indices(entry);
  ASSERT_EQ(indices.size(), 36u);
  for (WORD index : indices) EXPECT_LT(index, 8u);
  D3DINDEXBUFFER_DESC indexDesc{};
  ASSERT_EQ(entry.indexBuffer->GetDesc(&indexDesc), S_OK);
  EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX16);
  EXPECT_EQ(indexDesc.Size, 36u * 2u);
  ASSERT_TRUE(entry.vertexBuffer);
  D3DVERTEXBUFFER_DESC desc{};
  ASSERT_EQ(entry.vertexBuffer->GetDesc(&desc), S_OK);
  EXPECT_EQ(desc.Size, 8u * 32u);
  EXPECT_NEAR(entry.boundingCentre.x, 10.0f, 1e-5);
  EXPECT_NEAR(entry.boundingCentre.y, 0.0f, 1e-5);
  EXPECT_NEAR(entry.boundingCentre.z, 0.0f, 1e-5);
  EXPECT_NEAR(entry.boundingRadius, std::sqrt(3.0f), 1e-5);

  // The entry's buffers are its own: a copy shares them, a release lets them go.
  MeshEntry copy = entry;
  entry.Release();
  EXPECT_EQ(Indices(copy).size(), 36u);
}

TEST_F(MeshLoadersTest, BadDataOrStrideLeavesTheEntryEmpty) {
  const std::string truncated = kCube.substr(0, kCube.size() / 2);
  struct Case {
    const char* name;
    std::string data;
    UINT stride;
  };
  const Case cases[] = {{"truncated", truncated, 32}, {"not a mesh", "hello", 32}, {"empty", "", 32},
                        {"stride", kCube, 24}};
  const int liveBefore = d3dx9::LiveObjects();
  for (const Case& c : cases) {
    MeshEntry entry;
    LoadMeshFromMemory(entry, kCube.data(), UINT(kCube.size()), 32);  // a previous mesh is replaced
    LoadMeshFromMemory(entry, c.data.data(), UINT(c.data.size()), c.stride);
    EXPECT_FALSE(entry.vertexBuffer) << c.name;
    EXPECT_FALSE(entry.indexBuffer) << c.name;
    EXPECT_EQ(entry.vertexCount, 0u) << c.name;
    EXPECT_EQ(entry.faceCount, 0u) << c.name;
  }
  EXPECT_EQ(d3dx9::LiveObjects(), liveBefore);
  MeshEntry missing;
  LoadModuleResourceMesh(missing, nullptr, 4242, 32);
  EXPECT_FALSE(missing.vertexBuffer);
}

TEST_F(MeshLoadersTest, FailingCreationsOrLocksLeaveTheEntryEmptyAndLeakNothing) {
  const int liveBefore = d3dx9::LiveObjects();
  machine::Faults& faults = machine::Current().faults;
  for (bool* fault : {&faults.failResourceCreation, &faults.failLocks}) {
    MeshEntry entry;
    *fault = true;
    LoadMeshFromMemory(entry, kCube.data(), UINT(kCube.size()), 32);
    *fault = false;
    EXPECT_FALSE(entry.vertexBuffer);
    EXPECT_FALSE(entry.indexBuffer);
    EXPECT_EQ(entry.vertexCount, 0u);
    EXPECT_EQ(entry.faceCount, 0u);
    EXPECT_EQ(d3dx9::LiveObjects(), liveBefore);
  }
}

TEST_F(MeshLoadersTest, FileOnDiskLoadsLikeBytesInMemory) {
  const std::string path = ::testing::TempDir() + "render_cube.x";
  std::ofstream(path, std::ios::binary) << kCube;
  const std::u16string widePath(path.begin(), path.end());  // the temporary folder's name is plain ASCII
  MeshEntry entry;
  LoadMeshFromFile(entry, widePath.c_str(), 32);
  EXPECT_EQ(entry.vertexCount, 8u);
  EXPECT_EQ(entry.faceCount, 12u);
  EXPECT_NEAR(entry.boundingRadius, std::sqrt(3.0f), 1e-5);
  std::remove(path.c_str());
  LoadMeshFromFile(entry, widePath.c_str(), 32);
  EXPECT_FALSE(entry.vertexBuffer);
  EXPECT_EQ(entry.vertexCount, 0u);
  LoadMeshFromFile(entry, nullptr, 32);
  EXPECT_FALSE(entry.indexBuffer);
}
