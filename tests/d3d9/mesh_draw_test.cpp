// Draws of many triangles make their vertices and triangles on the render threads, a share of the
// primitives each. The picture must be that of the same triangles drawn a few at a time: lit,
// clipped at the near plane, culled, blended and depth-tested where they overlap, in their order.
#include <cmath>
#include <string>
#include <vector>

#include "device_fixture.h"

namespace {

constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;
// Enough vertices for a list of more than one group of shared primitives.
constexpr UINT kVertices = 27003;
// The draws of the reference picture stay below the count that shares the work.
constexpr UINT kPiece = 500;

struct MeshVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR color;
};

struct Mesh {
  std::string name;
  D3DPRIMITIVETYPE type;
  bool indexed = false;
  DWORD cull = D3DCULL_NONE;
  bool flat = false;
};

UINT Primitives(D3DPRIMITIVETYPE type) { return type == D3DPT_TRIANGLELIST ? kVertices / 3 : kVertices - 2; }

// A ribbon that winds round the view many times over itself, some of it behind the near plane, its
// triangles of either winding; alpha and colour change from vertex to vertex.
std::vector<MeshVertex> Ribbon() {
  std::vector<MeshVertex> vertices;
  for (UINT k = 0; k < kVertices; ++k) {
    const float t = static_cast<float>(k);
    const float side = (k % 2 == 0) ? 0.07f : -0.05f;
    const float z = 1.22f + 1.2f * std::sin(t * 0.0031f) + 0.05f * static_cast<float>(k % 5);
    const float x = (0.8f + side) * std::cos(t * 0.0113f) * z + 0.03f * static_cast<float>(k % 3);
    const float y = (0.6f + side) * std::sin(t * 0.0171f) * z;
    const float nx = std::cos(t * 0.05f);
    const uint32_t hash = k * 0x9e3779b1u;
    vertices.push_back({x, y, z, nx, 0.5f, -std::sin(t * 0.05f), (hash >> 8) | ((40u + k % 200u) << 24)});
  }
  return vertices;
}

// A permutation of the vertices, for the indexed draws.
std::vector<uint16_t> Shuffled() {
  std::vector<uint16_t> indices(kVertices);
  for (UINT k = 0; k < kVertices; ++k) indices[k] = static_cast<uint16_t>((k * 7919u) % kVertices);
  return indices;
}

class MeshDraws : public DeviceTest, public ::testing::WithParamInterface<Mesh> {
 protected:
  void SetUp() override {
    Open(160, 120);
    D3DMATRIX projection{};
    projection._11 = 1.f;
    projection._22 = 1.f;
    projection._33 = 100.f / 99.9f;
    projection._34 = 1.f;
    projection._43 = -0.1f * 100.f / 99.9f;
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.9f, 0.8f, 0.7f, 1.f};
    light.Specular = {1.f, 1.f, 1.f, 0.f};
    light.Direction = {0.3f, -0.5f, 0.8f};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    D3DMATERIAL9 material{};
    material.Specular = {0.5f, 0.5f, 0.5f, 1.f};
    material.Power = 8.f;
    device_->SetMaterial(&material);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0xff202020);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    const Mesh& mesh = GetParam();
    device_->SetRenderState(D3DRS_CULLMODE, mesh.cull);
    device_->SetRenderState(D3DRS_SHADEMODE, mesh.flat ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
  }

  void ClearAll() {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff102030, 1.f, 0), S_OK);
  }
};

TEST_P(MeshDraws, DrawWhatTheirTrianglesDrawnAFewAtATimeDraw) {
  const Mesh& mesh = GetParam();
  const std::vector<MeshVertex> vertices = Ribbon();
  std::vector<uint16_t> slot(kVertices);  // the vertex the draw's i-th vertex names
  for (UINT k = 0; k < kVertices; ++k) slot[k] = static_cast<uint16_t>(k);
  if (mesh.indexed) slot = Shuffled();
  const UINT primitives = Primitives(mesh.type);

  ClearAll();
  if (mesh.indexed) {
    ASSERT_EQ(DrawIndexed(kFvf, mesh.type, primitives, vertices, slot), S_OK);
  } else {
    ASSERT_EQ(Draw(kFvf, mesh.type, primitives, vertices), S_OK);
  }
  const std::vector<uint32_t> whole = ReadBackBuffer();

  // The same triangles as an indexed list: the vertices of each in the order the primitive type
  // gives them, so that the first still gives a flat colour.
  std::vector<uint16_t> list;
  for (UINT i = 0; i < primitives; ++i) {
    UINT corner[3] = {3 * i, 3 * i + 1, 3 * i + 2};
    if (mesh.type == D3DPT_TRIANGLESTRIP) {
      corner[0] = i;
      corner[1] = i % 2 == 0 ? i + 1 : i + 2;
      corner[2] = i % 2 == 0 ? i + 2 : i + 1;
    } else if (mesh.type == D3DPT_TRIANGLEFAN) {
      corner[0] = i + 1;
      corner[1] = i + 2;
      corner[2] = 0;
    }
    for (UINT c : corner) list.push_back(slot[c]);
  }
  ClearAll();
  for (UINT first = 0; first < primitives; first += kPiece) {
    const UINT count = std::min(kPiece, primitives - first);
    ASSERT_EQ(DrawBytes(kFvf, sizeof(MeshVertex), D3DPT_TRIANGLELIST, count, vertices.data(),
                        vertices.size() * sizeof(MeshVertex), list.data() + 3 * first, 3 * count),
              S_OK);
  }
  const std::vector<uint32_t> pieces = ReadBackBuffer();

  ASSERT_EQ(whole.size(), pieces.size());
  int differing = 0;
  int drawn = 0;
  for (size_t i = 0; i < whole.size(); ++i) {
    drawn += whole[i] != 0xff102030u;
    if (whole[i] == pieces[i]) continue;
    if (++differing <= 5) {
      ADD_FAILURE() << "pixel (" << i % width_ << ", " << i / width_ << "): " << std::hex << whole[i]
                    << " against " << pieces[i];
    }
  }
  EXPECT_EQ(differing, 0);
  // Most of the target is drawn over, so that the comparison sees the mesh.
  EXPECT_GT(drawn, static_cast<int>(whole.size() / 2));
}

// A large draw whose every triangle is culled or lies off the viewport leaves the target as it was.
TEST_F(DeviceTest, ALargeDrawOfNothingVisibleLeavesTheTargetAlone) {
  Clear(0xff405060);
  std::vector<ScreenColorVertex> vertices;
  for (int i = 0; i < 3000; ++i) {
    const float x = static_cast<float>(i % 7);
    // Even triangles lie left of the target; odd ones wind the other way and are culled.
    if (i % 2 == 0) {
      vertices.push_back({-40.f + x, 1.f, 0.5f, 1.f, 0xffffffff});
      vertices.push_back({-30.f + x, 1.f, 0.5f, 1.f, 0xffffffff});
      vertices.push_back({-40.f + x, 9.f, 0.5f, 1.f, 0xffffffff});
    } else {
      vertices.push_back({1.f + x, 1.f, 0.5f, 1.f, 0xffffffff});
      vertices.push_back({1.f + x, 9.f, 0.5f, 1.f, 0xffffffff});
      vertices.push_back({9.f + x, 1.f, 0.5f, 1.f, 0xffffffff});
    }
  }
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  ASSERT_EQ(Draw(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST, 3000, vertices), S_OK);
  for (uint32_t pixel : ReadBackBuffer()) ASSERT_EQ(pixel, 0xff405060u);
}

const Mesh kMeshes[] = {
    {.name = "TriangleList", .type = D3DPT_TRIANGLELIST},
    {.name = "IndexedTriangleListCulled", .type = D3DPT_TRIANGLELIST, .indexed = true, .cull = D3DCULL_CCW},
    {.name = "TriangleStripCulled", .type = D3DPT_TRIANGLESTRIP, .cull = D3DCULL_CW},
    {.name = "IndexedFlatTriangleStrip", .type = D3DPT_TRIANGLESTRIP, .indexed = true, .flat = true},
    {.name = "TriangleFanCulled", .type = D3DPT_TRIANGLEFAN, .cull = D3DCULL_CCW},
    {.name = "IndexedFlatTriangleFan", .type = D3DPT_TRIANGLEFAN, .indexed = true, .flat = true},
};

INSTANTIATE_TEST_SUITE_P(Meshes, MeshDraws, ::testing::ValuesIn(kMeshes),
                         [](const ::testing::TestParamInfo<Mesh>& info) { return info.param.name; });

}  // namespace
