// A pass with a transform places what is drawn by its matrix parameter, as a vertex stage would, and
// leaves the device's own transforms as it found them; a pass without one draws by the device's.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cstring>
#include <string>

#include "platform/d3dx9/effect_file.h"
#include "tests/d3dx9/d3dx_device_fixture.h"

namespace {

const std::string kPlacedEffect =
    "copperleaf-effect 1\n"
    "parameter matrix Placement\n"
    "parameter texture Texture1\n"
    "technique Placed\n"
    "pass P0\n"
    "program textured\n"
    "sampler 0 Texture1\n"
    "transform Placement\n"
    "technique Free\n"
    "pass P0\n"
    "program textured\n"
    "sampler 0 Texture1\n";

struct Vertex {
  float x, y, z, u, v;
};
constexpr DWORD kVertexFvf = D3DFVF_XYZ | D3DFVF_TEX1;
// Begin's flag that leaves the device state unsaved.
constexpr DWORD kDoNotSaveState = 1;

// x from left to right and y from top to bottom across the whole 64 x 64 target.
D3DXMATRIX PixelSpace(float left, float top, float right, float bottom) {
  D3DXMATRIX m;
  D3DXMatrixOrthoOffCenterLH(&m, left, right, bottom, top, -1.0f, 1.0f);
  return m;
}

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class EffectTransformTest : public D3DXDeviceTest {
 protected:
  void SetUp() override {
    D3DXDeviceTest::SetUp();
    effect_ = Create();
    ASSERT_NE(effect_, nullptr);
    device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &red_, nullptr);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(red_->LockRect(0, &locked, nullptr, 0), S_OK);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] = 0xFFFF0000;
    red_->UnlockRect(0);
    effect_->SetTexture("Texture1", red_);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    // The device's own placement: a unit square at the bottom right of the target.
    deviceWorld_ = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, 3, 0, 1);
    D3DXMatrixIdentity(&deviceView_);
    deviceProjection_ = PixelSpace(0, 0, 4, 4);
    device_->SetTransform(D3DTS_WORLD, &deviceWorld_);
    device_->SetTransform(D3DTS_VIEW, &deviceView_);
    device_->SetTransform(D3DTS_PROJECTION, &deviceProjection_);
  }
  void TearDown() override {
    if (effect_) {
      EXPECT_EQ(effect_->Release(), 0u);
    }
    if (red_) red_->Release();
    D3DXDeviceTest::TearDown();
  }

  ID3DXEffect* Create() {
    ID3DXEffect* effect = nullptr;
    D3DXCreateEffect(device_, kPlacedEffect.data(), UINT(kPlacedEffect.size()), nullptr, nullptr, 0, nullptr, &effect,
                     nullptr);
    return effect;
  }

  // The unit square (0, 0)-(1, 1), textured.
  void DrawUnitSquare() {
    const Vertex quad[4] = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}, {1, 1, 0, 1, 1}};
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(quad), D3DUSAGE_WRITEONLY, kVertexFvf, D3DPOOL_MANAGED, &buffer,
                                          nullptr),
              S_OK);
    void* data = nullptr;
    if (SUCCEEDED(buffer->Lock(0, 0, &data, 0))) {
      std::memcpy(data, quad, sizeof(quad));
      buffer->Unlock();
    }
    device_->BeginScene();
    device_->SetFVF(kVertexFvf);
    device_->SetStreamSource(0, buffer, 0, sizeof(Vertex));
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    device_->EndScene();
    device_->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
  }

  DWORD Pixel(int x, int y) {
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    D3DLOCKED_RECT locked{};
    DWORD pixel = 0xDEADBEEF;
    if (back && SUCCEEDED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      pixel = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch)[x] & 0x00FFFFFF;
      back->UnlockRect();
    }
    if (back) back->Release();
    return pixel;
  }

  // Whether the device holds the transforms the test set.
  void ExpectDeviceTransforms() {
    D3DMATRIX m;
    device_->GetTransform(D3DTS_WORLD, &m);
    EXPECT_TRUE(SameMatrix(m, deviceWorld_)) << "world";
    device_->GetTransform(D3DTS_VIEW, &m);
    EXPECT_TRUE(SameMatrix(m, deviceView_)) << "view";
    device_->GetTransform(D3DTS_PROJECTION, &m);
    EXPECT_TRUE(SameMatrix(m, deviceProjection_)) << "projection";
  }

  ID3DXEffect* effect_ = nullptr;
  IDirect3DTexture9* red_ = nullptr;
  D3DXMATRIX deviceWorld_, deviceView_, deviceProjection_;
};

TEST_F(EffectTransformTest, PlacedPassDrawsWhereItsMatrixSaysAndPutsTheDevicesBack) {
  // The unit square over the top-left quarter of the target.
  const D3DXMATRIX placement = PixelSpace(0, 0, 2, 2);
  ASSERT_EQ(effect_->SetMatrix("Placement", &placement), S_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  UINT passes = 0;
  ASSERT_EQ(effect_->Begin(&passes, 0), S_OK);
  ASSERT_EQ(effect_->BeginPass(0), S_OK);
  DrawUnitSquare();
  EXPECT_EQ(effect_->EndPass(), S_OK);
  ExpectDeviceTransforms();
  effect_->End();

  EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
  EXPECT_EQ(Pixel(30, 30), 0xFF0000u);
  EXPECT_EQ(Pixel(34, 10), 0x000000u);
  EXPECT_EQ(Pixel(10, 34), 0x000000u);
  EXPECT_EQ(Pixel(56, 56), 0x000000u) << "not where the device's transforms would put it";
}

TEST_F(EffectTransformTest, PassWithoutTransformDrawsByTheDevicesTransforms) {
  const D3DXMATRIX placement = PixelSpace(0, 0, 2, 2);
  effect_->SetMatrix("Placement", &placement);
  ASSERT_EQ(effect_->SetTechnique("Free"), S_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  UINT passes = 0;
  effect_->Begin(&passes, 0);
  effect_->BeginPass(0);
  ExpectDeviceTransforms();
  DrawUnitSquare();
  effect_->EndPass();
  effect_->End();
  EXPECT_EQ(Pixel(56, 56), 0xFF0000u);
  EXPECT_EQ(Pixel(5, 5), 0x000000u);
}

TEST_F(EffectTransformTest, CommitChangesLoadsAChangedMatrix) {
  const D3DXMATRIX topLeft = PixelSpace(0, 0, 4, 4);
  const D3DXMATRIX bottomLeft = PixelSpace(0, -3, 4, 1);
  effect_->SetMatrix("Placement", &topLeft);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  UINT passes = 0;
  effect_->Begin(&passes, 0);
  effect_->BeginPass(0);
  DrawUnitSquare();
  effect_->SetMatrix("Placement", &bottomLeft);
  EXPECT_EQ(effect_->CommitChanges(), S_OK);
  DrawUnitSquare();
  effect_->EndPass();
  effect_->End();
  EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
  EXPECT_EQ(Pixel(8, 56), 0xFF0000u);
  EXPECT_EQ(Pixel(8, 32), 0x000000u);
  ExpectDeviceTransforms();
}

// However a placed pass is left, and whatever Begin's flags, the device gets its transforms back.
TEST_F(EffectTransformTest, EveryWayOutOfAPlacedPassRestoresTheTransforms) {
  const D3DXMATRIX placement = PixelSpace(0, 0, 2, 2);
  const struct {
    const char* way;
    DWORD beginFlags;
  } cases[] = {{"EndPass", 0}, {"EndPass", kDoNotSaveState}, {"End", 0}, {"Release", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.way << " after Begin flags " << c.beginFlags);
    ID3DXEffect* effect = Create();
    ASSERT_NE(effect, nullptr);
    effect->SetMatrix("Placement", &placement);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, c.beginFlags), S_OK);
    ASSERT_EQ(effect->BeginPass(0), S_OK);
    D3DMATRIX loaded;
    device_->GetTransform(D3DTS_PROJECTION, &loaded);
    EXPECT_TRUE(SameMatrix(loaded, placement)) << "the pass's matrix is loaded";
    const std::string way = c.way;
    if (way == "EndPass") {
      effect->EndPass();
      ExpectDeviceTransforms();
      effect->End();
    } else if (way == "End") {
      effect->End();
    }
    if (way == "Release") {
      EXPECT_EQ(effect->Release(), 0u);
    } else {
      effect->Release();
    }
    ExpectDeviceTransforms();
  }
}

TEST(EffectFileTransform, ParsedIntoItsPassAndCheckedAgainstTheParameters) {
  std::optional<d3dx9::EffectFile> file = d3dx9::ParseEffectFile(kPlacedEffect.data(), kPlacedEffect.size());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->techniques.at(0).passes.at(0).transform, "Placement");
  EXPECT_EQ(file->techniques.at(1).passes.at(0).transform, "");

  const std::string head = "copperleaf-effect 1\nparameter matrix M\nparameter float4 F\n";
  const struct {
    const char* what;
    std::string text;
  } rejected[] = {
      {"outside a pass", head + "technique T\ntransform M\n"},
      {"before any technique", head + "transform M\n"},
      {"twice in a pass", head + "technique T\npass P\nprogram textured\ntransform M\ntransform M\n"},
      {"without a name", head + "technique T\npass P\nprogram textured\ntransform\n"},
      {"two names", head + "technique T\npass P\nprogram textured\ntransform M M\n"},
      {"of a float4", head + "technique T\npass P\nprogram textured\ntransform F\n"},
      {"of nothing declared", head + "technique T\npass P\nprogram textured\ntransform N\n"},
  };
  for (const auto& c : rejected) {
    std::string error;
    EXPECT_FALSE(d3dx9::ParseEffectFile(c.text.data(), c.text.size(), &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  // A matrix declared after the pass that uses it is found all the same.
  const std::string later =
      "copperleaf-effect 1\ntechnique T\npass P\nprogram textured\ntransform M\nparameter matrix M\n";
  EXPECT_TRUE(d3dx9::ParseEffectFile(later.data(), later.size()));
}

}  // namespace
