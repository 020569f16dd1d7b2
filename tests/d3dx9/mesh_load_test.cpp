// Meshes from text .x files: what the loader builds from each template, the clone, normal,
// optimisation and bounding-sphere steps a caller runs on it, and clean failures for damaged files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/d3dx9/d3dx_device_fixture.h"

namespace {

constexpr DWORD kPNT = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// A cube of side 2 around the origin: 8 shared corners and 6 quads, placed by its frame.
std::string CubeFile(const std::string& frameMatrix = "1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;;") {
  return "xof 0303txt 0032\n"
         "// corners first, then one quad per side\n"
         "Frame Box {\n"
         "  FrameTransformMatrix { " + frameMatrix + " }\n"
         "  Mesh Cube {\n"
         "    8;\n"
         "    -1;-1;-1;, 1;-1;-1;, 1;1;-1;, -1;1;-1;,\n"
         "    -1;-1;1;, 1;-1;1;, 1;1;1;, -1;1;1;;\n"
         "    6;\n"
         "    4;0,3,2,1;, 4;4,5,6,7;, 4;0,1,5,4;, 4;2,3,7,6;, 4;1,2,6,5;, 4;0,4,7,3;;\n"
         "  }\n"
         "}\n";
}

// One triangle, with whatever the caller puts after the faces.
std::string Triangle(const std::string& children) {
  return "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; " + children + " }\n";
}

struct Vertex {
  D3DXVECTOR3 position;
  D3DXVECTOR3 normal;
  float u, v;
};
static_assert(sizeof(Vertex) == 32);

class MeshLoadTest : public D3DXDeviceTest {
 protected:
  HRESULT Load(const std::string& file, ID3DXMesh** mesh, ID3DXBuffer** adjacency = nullptr,
               ID3DXBuffer** materials = nullptr, DWORD* materialCount = nullptr) {
    return D3DXLoadMeshFromXInMemory(file.data(), DWORD(file.size()), D3DXMESH_SYSTEMMEM, device_, adjacency,
                                     materials, nullptr, materialCount, mesh);
  }

  static std::vector<Vertex> Vertices(ID3DXMesh* mesh) {
    EXPECT_EQ(mesh->GetFVF(), kPNT);
    void* data = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), S_OK);
    std::vector<Vertex> out(mesh->GetNumVertices());
    std::memcpy(out.data(), data, out.size() * sizeof(Vertex));
    mesh->UnlockVertexBuffer();
    return out;
  }

  static std::vector<uint16_t> Indices(ID3DXMesh* mesh) {
    void* data = nullptr;
    EXPECT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), S_OK);
    std::vector<uint16_t> out(size_t(mesh->GetNumFaces()) * 3);
    std::memcpy(out.data(), data, out.size() * 2);
    mesh->UnlockIndexBuffer();
    return out;
  }

  // The loaded mesh as a caller keeps it: cloned to position, normal and one texture coordinate.
  ID3DXMesh* LoadAsPNT(const std::string& file) {
    ID3DXMesh* loaded = nullptr;
    EXPECT_EQ(Load(file, &loaded), S_OK);
    if (!loaded) return nullptr;
    ID3DXMesh* clone = nullptr;
    EXPECT_EQ(loaded->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kPNT, device_, &clone), S_OK);
    EXPECT_EQ(loaded->Release(), 0u);
    return clone;
  }
};

// The whole path a mesh loader takes: load, clone, normals, optimise, copy out, bounding sphere.
TEST_F(MeshLoadTest, CubeThroughTheLoadingSteps) {
  const std::string file = CubeFile();
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD materialCount = 0;
  ASSERT_EQ(Load(file, &mesh, &adjacency, &materials, &materialCount), S_OK);
  EXPECT_EQ(mesh->GetNumVertices(), 8u);
  EXPECT_EQ(mesh->GetNumFaces(), 12u);  // six quads, two triangles each
  EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ));
  ASSERT_EQ(adjacency->GetBufferSize(), 12u * 3 * sizeof(DWORD));
  // A closed cube: every edge of every triangle has a neighbour.
  const auto* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  for (DWORD i = 0; i < 36; ++i) EXPECT_LT(neighbours[i], 12u) << "edge " << i;
  EXPECT_EQ(materialCount, 1u);
  EXPECT_EQ(materials->GetBufferSize(), sizeof(D3DXMATERIAL));

  ID3DXMesh* clone = nullptr;
  ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kPNT, device_, &clone), S_OK);
  EXPECT_EQ(D3DXComputeNormals(clone, nullptr), S_OK);
  EXPECT_EQ(clone->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                   static_cast<const DWORD*>(adjacency->GetBufferPointer()), nullptr, nullptr,
                                   nullptr),
            S_OK);
  EXPECT_EQ(clone->GetNumVertices(), 8u);
  EXPECT_EQ(clone->GetNumFaces(), 12u);

  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(clone->GetIndexBuffer(&ib), S_OK);
  D3DINDEXBUFFER_DESC ibDesc{};
  ib->GetDesc(&ibDesc);
  EXPECT_EQ(ibDesc.Format, D3DFMT_INDEX16);
  EXPECT_EQ(ibDesc.Size, 12u * 6);
  EXPECT_EQ(ib->Release(), 1u);  // the mesh keeps its own reference
  for (uint16_t i : Indices(clone)) EXPECT_LT(i, 8u);

  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(clone->GetVertexBuffer(&vb), S_OK);
  D3DVERTEXBUFFER_DESC vbDesc{};
  vb->GetDesc(&vbDesc);
  EXPECT_EQ(vbDesc.Size, 8u * D3DXGetFVFVertexSize(kPNT));
  EXPECT_EQ(vb->Release(), 1u);

  // The frame moved the cube to x = 10; the sphere holds every corner.
  const auto vertices = Vertices(clone);
  D3DXVECTOR3 centre;
  float radius = 0;
  ASSERT_EQ(D3DXComputeBoundingSphere(&vertices[0].position, DWORD(vertices.size()), sizeof(Vertex), &centre,
                                      &radius),
            S_OK);
  EXPECT_NEAR(centre.x, 10.0f, 1e-5f);
  EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
  EXPECT_NEAR(centre.z, 0.0f, 1e-5f);
  EXPECT_NEAR(radius, std::sqrt(3.0f), 1e-5f);
  // Shared corners take the mean of their three sides: pointing out along the diagonal.
  for (const Vertex& v : vertices) {
    EXPECT_NEAR(v.normal.x, (v.position.x - 10.0f) / std::sqrt(3.0f), 1e-4f);
    EXPECT_NEAR(v.normal.y, v.position.y / std::sqrt(3.0f), 1e-4f);
    EXPECT_NEAR(v.normal.z, v.position.z / std::sqrt(3.0f), 1e-4f);
  }

  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(mesh->Release(), 0u);
  EXPECT_EQ(adjacency->Release(), 0u);
  EXPECT_EQ(materials->Release(), 0u);
}

// Normals given per side split the corners they do not agree on: 6 sides x 4 corners.
TEST_F(MeshLoadTest, MeshNormalsSplitCornersAndRecomputedNormalsStayFlat) {
  std::string file = CubeFile("1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;");
  file.insert(file.rfind("  }\n}"),
              "    MeshNormals { 6; 0;0;-1;, 0;0;1;, 0;-1;0;, 0;1;0;, 1;0;0;, -1;0;0;;\n"
              "      6; 4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;; }\n");
  ID3DXMesh* loaded = nullptr;
  ASSERT_EQ(Load(file, &loaded), S_OK);
  EXPECT_EQ(loaded->GetNumVertices(), 24u);
  EXPECT_EQ(loaded->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(loaded->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kPNT, device_, &mesh), S_OK);
  EXPECT_EQ(loaded->Release(), 0u);

  // As loaded, each vertex carries its side's normal: one axis at +-1 where the position is too.
  auto flat = [](const Vertex& v) {
    const float n[3] = {v.normal.x, v.normal.y, v.normal.z}, p[3] = {v.position.x, v.position.y, v.position.z};
    int axes = 0;
    for (int i = 0; i < 3; ++i)
      if (std::fabs(n[i]) > 0.999f && n[i] == p[i]) ++axes;
    return axes == 1 && std::fabs(D3DXVec3Length(&v.normal) - 1.0f) < 1e-5f;
  };
  for (const Vertex& v : Vertices(mesh)) EXPECT_TRUE(flat(v));
  ASSERT_EQ(D3DXComputeNormals(mesh, nullptr), S_OK);
  for (const Vertex& v : Vertices(mesh)) EXPECT_TRUE(flat(v)) << v.normal.x << " " << v.normal.y << " " << v.normal.z;
  EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshLoadTest, NestedFramesApplyInnerTransformFirst) {
  // The inner frame moves by (1, 0, 0), the outer one scales by 2 and its matrix comes after its
  // child: the transform holds for the whole frame wherever it stands.
  const std::string file =
      "xof 0303txt 0032\n"
      "Frame Outer {\n"
      "  Frame Inner {\n"
      "    FrameTransformMatrix Local { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;; }\n"
      "    Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"
      "  }\n"
      "  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }\n"
      "}\n"
      "Mesh Loose { 3; 0;0;5;, 1;0;5;, 0;1;5;; 1; 3;0,1,2;; }\n";
  ID3DXMesh* mesh = LoadAsPNT(file);
  ASSERT_NE(mesh, nullptr);
  const auto v = Vertices(mesh);
  ASSERT_EQ(v.size(), 6u);
  const D3DXVECTOR3 expected[] = {{2, 0, 0}, {4, 0, 0}, {2, 2, 0}, {0, 0, 5}, {1, 0, 5}, {0, 1, 5}};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(v[i].position, expected[i]) << "vertex " << i;
  EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshLoadTest, PolygonsBecomeFansAroundTheirFirstCorner) {
  const std::string file =
      "xof 0303txt 0032\n"
      "Mesh { 5; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;;\n"
      "  2; 5;0,1,2,3,4;, 3;4,3,2;; }\n";
  ID3DXMesh* mesh = LoadAsPNT(file);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(Indices(mesh), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 4, 3, 2}));
  EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshLoadTest, TextureCoordinatesMaterialsAndUnknownTemplates) {
  const std::string file =
      "xof 0303txt 0032\n"
      "template Mesh {\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD nVertices;\n"
      " array Vector vertices[nVertices];\n [...]\n}\n"
      "Header { 1; 0; 1; }\n"
      "Material Shiny { 1;0;0;1;; 20; 1;1;1;; 0;0;0;; TextureFilename { \"stone.bmp\"; } }\n"
      "SomethingNew thing { 1; 2; { nested; } \"text with } brace\"; }\n"
      "Mesh {\n"
      "  4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;;\n"
      "  2; 3;0,1,2;, 3;2,1,3;;\n"
      "  MeshTextureCoords { 4; 0;1;, 1;1;, 0;0;, 1;0;; }\n"
      "  MeshMaterialList { 2; 2; 1, 0;;\n"
      "    { Shiny }\n"
      "    Material { 0;0;1;0.5;; 5; 0;0;0;; 0.25;0.25;0.25;; }\n"
      "  }\n"
      "  VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; }\n"
      "}\n"
      "AnimationSet { Animation { { Mesh01 } AnimationKey { 0; 1; 0; 4; 1, 0, 0, 0;;; } } }\n";
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD count = 0;
  ASSERT_EQ(Load(file, &mesh, nullptr, &materials, &count), S_OK);
  EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_TEX1));
  ASSERT_EQ(count, 2u);
  const auto* m = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_EQ(m[0].MatD3D.Diffuse.r, 1.0f);
  EXPECT_EQ(m[0].MatD3D.Power, 20.0f);
  ASSERT_NE(m[0].pTextureFilename, nullptr);
  EXPECT_STREQ(m[0].pTextureFilename, "stone.bmp");
  EXPECT_EQ(m[1].MatD3D.Diffuse.a, 0.5f);
  EXPECT_EQ(m[1].MatD3D.Emissive.g, 0.25f);
  EXPECT_EQ(m[1].pTextureFilename, nullptr);
  EXPECT_EQ(materials->Release(), 0u);

  ID3DXMesh* clone = nullptr;
  ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kPNT, device_, &clone), S_OK);
  const auto v = Vertices(clone);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[1].u, 1.0f);
  EXPECT_EQ(v[1].v, 1.0f);
  EXPECT_EQ(v[2].u, 0.0f);
  EXPECT_EQ(v[2].v, 0.0f);
  EXPECT_EQ(v[3].normal, D3DXVECTOR3(0, 0, 0));  // the clone adds normals, zero until computed
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshLoadTest, OptimizeDropsUnusedVerticesAndKeepsTheShape) {
  // Vertex 1 is used by no face.
  const std::string file =
      "xof 0303txt 0032\nMesh { 4; 0;0;0;, 9;9;9;, 1;0;0;, 0;1;0;; 1; 3;0,2,3;; }\n";
  ID3DXMesh* mesh = LoadAsPNT(file);
  ASSERT_NE(mesh, nullptr);
  DWORD adjacencyOut[3] = {1, 1, 1};
  ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT, nullptr, adjacencyOut, nullptr, nullptr), S_OK);
  EXPECT_EQ(mesh->GetNumVertices(), 3u);
  EXPECT_EQ(adjacencyOut[0], 0xFFFFFFFFu);
  const auto v = Vertices(mesh);
  const auto i = Indices(mesh);
  EXPECT_EQ(v[i[0]].position, D3DXVECTOR3(0, 0, 0));
  EXPECT_EQ(v[i[1]].position, D3DXVECTOR3(1, 0, 0));
  EXPECT_EQ(v[i[2]].position, D3DXVECTOR3(0, 1, 0));
  EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshLoadTest, CloneRefusesFormatsAMeshCannotHold) {
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(Load(CubeFile(), &mesh), S_OK);
  for (const DWORD fvf : {DWORD(0), DWORD(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), DWORD(D3DFVF_NORMAL)}) {
    ID3DXMesh* clone = reinterpret_cast<ID3DXMesh*>(1);
    EXPECT_TRUE(FAILED(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, fvf, device_, &clone))) << "fvf " << fvf;
    EXPECT_EQ(clone, nullptr);
  }
  ID3DXMesh* clone = nullptr;
  EXPECT_TRUE(FAILED(mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, kPNT, nullptr, &clone)));
  EXPECT_EQ(mesh->Release(), 0u);
}

TEST_F(MeshLoadTest, MalformedFilesFailCleanly) {
  const struct {
    const char* name;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"not a .x file", "hello world, this is no mesh"},
      {"binary .x", "xof 0303bin 0032" + std::string(40, '\0')},
      {"no mesh at all", "xof 0303txt 0032\nHeader { 1; 0; 1; }\n"},
      {"mesh without faces", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }\n"},
      {"only a line", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }\n"},
      {"index past the vertices", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }\n"},
      {"more vertices than given", "xof 0303txt 0032\nMesh { 300; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"},
      {"huge vertex count", "xof 0303txt 0032\nMesh { 4294967295; 0;0;0;; 1; 3;0,0,0;; }\n"},
      {"count past 32 bits", "xof 0303txt 0032\nMesh { 99999999999; 0;0;0;; 1; 3;0,0,0;; }\n"},
      {"negative count", "xof 0303txt 0032\nMesh { -3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"},
      {"huge corner count", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 4000000000;0,1,2;; }\n"},
      {"word for a number", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;zero;0;, 0;1;0;; 1; 3;0,1,2;; }\n"},
      {"number out of range", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1e999;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"},
      {"normals for other faces", Triangle("MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }")},
      {"normal index past the normals", Triangle("MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; }")},
      {"texture coordinates for other vertices", Triangle("MeshTextureCoords { 2; 0;0;, 1;1;; }")},
      {"material index past the list", Triangle("MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }")},
      {"fewer materials than counted", Triangle("MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }")},
      {"unknown material reference", Triangle("MeshMaterialList { 1; 1; 0;; { Nowhere } }")},
      {"material missing values", Triangle("MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; } }")},
      {"unterminated string", "xof 0303txt 0032\nThing { \"never closed }\n"},
      {"unterminated guid", "xof 0303txt 0032\ntemplate T { <1234 }\n"},
      {"stray character", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; @ }\n"},
      {"unclosed mesh", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"},
      {"short frame matrix",
       "xof 0303txt 0032\nFrame { FrameTransformMatrix { 1,0,0,0;; } Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }\n"},
      {"frame that sends w to zero", CubeFile("1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,0;;")},
      {"frames nested past any sense", "xof 0303txt 0032\n" + [] {
         std::string s;
         for (int i = 0; i < 5000; ++i) s += "Frame { ";
         return s + Triangle("").substr(17) + std::string(5000, '}');
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    ID3DXBuffer* adjacency = reinterpret_cast<ID3DXBuffer*>(1);
    DWORD count = 7;
    const HRESULT hr = D3DXLoadMeshFromXInMemory(c.file.empty() ? nullptr : c.file.data(), DWORD(c.file.size()),
                                                 D3DXMESH_SYSTEMMEM, device_, &adjacency, nullptr, nullptr, &count,
                                                 &mesh);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(adjacency, nullptr);
    EXPECT_EQ(count, 0u);
    if (SUCCEEDED(hr)) {
      if (mesh) mesh->Release();
      if (adjacency) adjacency->Release();
    }
  }
}

// Cut anywhere before its last closing brace, the cube is incomplete and must be refused.
TEST_F(MeshLoadTest, TruncatedFilesFailCleanly) {
  const std::string file = CubeFile();
  for (size_t length = 0; length < file.rfind('}'); ++length) {
    const std::string cut = file.substr(0, length);
    ID3DXMesh* mesh = nullptr;
    EXPECT_TRUE(FAILED(Load(cut, &mesh))) << "length " << length;
    EXPECT_EQ(mesh, nullptr);
    if (mesh) mesh->Release();
  }
}

TEST_F(MeshLoadTest, FailingDeviceLeavesNothingAlive) {
  for (const bool creation : {true, false}) {
    SCOPED_TRACE(creation ? "creation fails" : "locks fail");
    creation ? FailResourceCreation(true) : FailLocks(true);
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    EXPECT_TRUE(FAILED(Load(CubeFile(), &mesh, &adjacency)));
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(adjacency, nullptr);
    FailResourceCreation(false);
    FailLocks(false);
  }
}

TEST_F(MeshLoadTest, FromAFileByWindowsPath) {
  const auto dir = std::filesystem::temp_directory_path() / ("d3dx-mesh-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "cube.x") << CubeFile();
  std::u16string path;
  for (char c : (dir.string() + "/cube.x")) path += c == '/' ? u'\\' : char16_t(c);
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(D3DXLoadMeshFromXW(path.c_str(), D3DXMESH_SYSTEMMEM, device_, nullptr, nullptr, nullptr, nullptr, &mesh),
            S_OK);
  EXPECT_EQ(mesh->GetNumFaces(), 12u);
  EXPECT_EQ(mesh->Release(), 0u);
  const std::u16string missing = path + u"-missing";
  mesh = nullptr;
  EXPECT_TRUE(FAILED(
      D3DXLoadMeshFromXW(missing.c_str(), D3DXMESH_SYSTEMMEM, device_, nullptr, nullptr, nullptr, nullptr, &mesh)));
  EXPECT_EQ(mesh, nullptr);
  std::filesystem::remove_all(dir);
}

TEST(BoundingSphere, CentreIsTheMeanAndRadiusReachesTheFarthestPoint) {
  // Positions 16 bytes apart, with a float between them that must be skipped.
  const float points[][4] = {{0, 0, 0, 99}, {4, 0, 0, 99}, {2, 3, 0, 99}, {2, -3, 4, 99}};
  D3DXVECTOR3 centre;
  float radius = 0;
  ASSERT_EQ(D3DXComputeBoundingSphere(reinterpret_cast<const D3DXVECTOR3*>(points), 4, 16, &centre, &radius), S_OK);
  EXPECT_EQ(centre, D3DXVECTOR3(2, 0, 1));
  EXPECT_EQ(radius, std::sqrt(18.0f));
  ASSERT_EQ(D3DXComputeBoundingSphere(reinterpret_cast<const D3DXVECTOR3*>(points[1]), 1, 16, &centre, &radius), S_OK);
  EXPECT_EQ(centre, D3DXVECTOR3(4, 0, 0));
  EXPECT_EQ(radius, 0.0f);
  EXPECT_TRUE(FAILED(D3DXComputeBoundingSphere(nullptr, 4, 16, &centre, &radius)));
  EXPECT_TRUE(FAILED(D3DXComputeBoundingSphere(reinterpret_cast<const D3DXVECTOR3*>(points), 4, 8, &centre, &radius)));
}

TEST(FvfVertexSize, EachComponentAddsItsBytes) {
  const struct {
    DWORD fvf;
    UINT size;
  } cases[] = {
      {D3DFVF_XYZ | D3DFVF_TEX1, 20},
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 28},
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 20},
      {D3DFVF_XYZ | D3DFVF_DIFFUSE, 16},
      {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 24},
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32},
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2, 48},
      {D3DFVF_XYZ | D3DFVF_TEX1 | (1u << 16), 24},  // a set of three coordinates
      {D3DFVF_XYZ | D3DFVF_TEX1 | (3u << 16), 16},  // a set of one
      {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(D3DXGetFVFVertexSize(c.fvf), c.size) << "fvf " << c.fvf;
}

}  // namespace
