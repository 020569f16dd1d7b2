// Effects on the software device: a pass runs its native program on what is drawn, sets its blend
// states, and Begin/End put back what the passes changed. Names the effect does not declare fail
// harmlessly; bytes that are no effect file make no effect.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx9/effect.h"
#include "tests/d3dx9/d3dx_device_fixture.h"

namespace {

const std::string kEffect =
    "copperleaf-effect 1\n"
    "parameter float4 BlendColor 1 1 1 1\n"
    "parameter texture Texture1\n"
    "technique Plain\n"
    "pass P0\n"
    "program textured\n"
    "sampler 0 Texture1\n"
    "state AlphaBlendEnable TRUE\n"
    "state DestBlend One\n";

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class EffectDrawTest : public D3DXDeviceTest {
 protected:
  void SetUp() override {
    D3DXDeviceTest::SetUp();
    ASSERT_EQ(D3DXCreateEffect(device_, kEffect.data(), UINT(kEffect.size()), nullptr, nullptr, 0, nullptr, &effect_,
                               nullptr),
              S_OK);
  }
  void TearDown() override {
    for (IDirect3DTexture9* texture : textures_) texture->Release();
    if (effect_) {
      EXPECT_EQ(effect_->Release(), 0u);
    }
    effect_ = nullptr;
    D3DXDeviceTest::TearDown();
  }

  // A 2 x 2 texture of one colour, released by the fixture.
  IDirect3DTexture9* Flat(D3DCOLOR color) {
    IDirect3DTexture9* texture = nullptr;
    device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT locked{};
    if (texture && SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] = color;
      texture->UnlockRect(0);
    }
    if (texture) textures_.push_back(texture);
    return texture;
  }

  // A white quad over columns [left, right) of the back buffer, all rows.
  void DrawQuad(float left = 0, float right = 64) {
    const Vertex quad[4] = {{left, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                            {right, 0, 0, 1, 0xFFFFFFFF, 1, 0},
                            {left, 64, 0, 1, 0xFFFFFFFF, 0, 1},
                            {right, 64, 0, 1, 0xFFFFFFFF, 1, 1}};
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(quad), D3DUSAGE_WRITEONLY, kVertexFvf, D3DPOOL_MANAGED, &buffer,
                                          nullptr),
              S_OK);
    void* data = nullptr;
    if (SUCCEEDED(buffer->Lock(0, 0, &data, 0))) {
      std::memcpy(data, quad, sizeof(quad));
      buffer->Unlock();
    }
    device_->SetFVF(kVertexFvf);
    device_->SetStreamSource(0, buffer, 0, sizeof(Vertex));
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    device_->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
  }

  DWORD BackBufferPixel(int x, int y) {
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

  ID3DXEffect* effect_ = nullptr;
  std::vector<IDirect3DTexture9*> textures_;
};

TEST_F(EffectDrawTest, PassShowsItsProgramsOutputAndEndRestoresTheDevice) {
  IDirect3DTexture9* red = Flat(0xFFFF0000);
  IDirect3DTexture9* blue = Flat(0xFF0000FF);
  // The fixed-function stages alone would show the white vertex colour.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetTexture(0, blue);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000040, 1.0f, 0);

  ASSERT_EQ(effect_->SetTechnique("Plain"), S_OK);
  ASSERT_EQ(effect_->SetTexture("Texture1", red), S_OK);
  UINT passes = 0;
  ASSERT_EQ(effect_->Begin(&passes, 0), S_OK);
  ASSERT_EQ(passes, 1u);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  ASSERT_EQ(effect_->BeginPass(0), S_OK);
  DWORD blend = 0;
  device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
  EXPECT_EQ(blend, DWORD(TRUE));
  DrawQuad();
  EXPECT_EQ(effect_->EndPass(), S_OK);
  EXPECT_EQ(effect_->End(), S_OK);
  device_->EndScene();

  // Red texture times white, added onto the dark blue clear colour by the pass's blend states.
  EXPECT_EQ(BackBufferPixel(10, 10), 0xFF0040u);
  EXPECT_EQ(BackBufferPixel(63, 63), 0xFF0040u);

  device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
  EXPECT_EQ(blend, DWORD(FALSE));
  DWORD destBlend = 0;
  device_->GetRenderState(D3DRS_DESTBLEND, &destBlend);
  EXPECT_EQ(destBlend, DWORD(D3DBLEND_ZERO));
  IDirect3DBaseTexture9* bound = nullptr;
  device_->GetTexture(0, &bound);
  EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture9*>(blue));
  if (bound) bound->Release();

  // With the program gone the stages apply again.
  device_->BeginScene();
  DrawQuad();
  device_->EndScene();
  EXPECT_EQ(BackBufferPixel(10, 10), 0xFFFFFFu);
}

TEST_F(EffectDrawTest, ChangesInsideAPassApplyFromCommitChangesOn) {
  IDirect3DTexture9* red = Flat(0xFFFF0000);
  IDirect3DTexture9* green = Flat(0xFF00FF00);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  effect_->SetTexture("Texture1", red);
  UINT passes = 0;
  ASSERT_EQ(effect_->Begin(&passes, 0), S_OK);
  device_->BeginScene();
  ASSERT_EQ(effect_->BeginPass(0), S_OK);
  effect_->SetTexture("Texture1", green);
  DrawQuad(0, 32);
  EXPECT_EQ(effect_->CommitChanges(), S_OK);
  DrawQuad(32, 64);
  effect_->EndPass();
  effect_->End();
  device_->EndScene();
  EXPECT_EQ(BackBufferPixel(10, 10), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(50, 10), 0x00FF00u);
  EXPECT_EQ(effect_->CommitChanges(), D3DERR_INVALIDCALL) << "outside a pass";
}

TEST_F(EffectDrawTest, UnknownNamesAndWrongKindsFailHarmlessly) {
  const d3dx9::EffectRecording recording;
  const float four[4] = {0.5f, 0.25f, 0, 1};
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  const struct {
    const char* what;
    HRESULT result;
  } cases[] = {
      {"unknown float", effect_->SetFloat("Nope", 1.0f)},
      {"unknown array", effect_->SetFloatArray("Nope", four, 4)},
      {"unknown texture", effect_->SetTexture("Nope", nullptr)},
      {"unknown technique", effect_->SetTechnique("Nope")},
      {"matrix into a vector", effect_->SetMatrix("BlendColor", &identity)},
      {"floats into a texture", effect_->SetFloatArray("Texture1", four, 4)},
      {"null name", effect_->SetFloat(nullptr, 1.0f)},
      {"pass before Begin", effect_->BeginPass(0)},
      {"End before Begin", effect_->End()},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, D3DERR_INVALIDCALL) << c.what;
  EXPECT_EQ(effect_->SetFloatArray("BlendColor", four, 4), S_OK);
  UINT passes = 0;
  ASSERT_EQ(effect_->Begin(&passes, 0), S_OK);
  EXPECT_EQ(effect_->BeginPass(1), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect_->End(), S_OK);

  const auto* calls = d3dx9::RecordedEffectCalls(effect_);
  ASSERT_NE(calls, nullptr);
  const d3dx9::EffectCall& set = (*calls)[std::size(cases)];
  EXPECT_EQ(set.method, "SetFloatArray");
  EXPECT_EQ(set.name, "BlendColor");
  EXPECT_EQ(set.values, (std::vector<float>{0.5f, 0.25f, 0, 1}));
}

// An effect used frame after frame all night keeps no log: calls are recorded only while a test holds
// a recording, and recordings may nest.
TEST_F(EffectDrawTest, CallsAreRecordedOnlyWhileATestAsks) {
  IDirect3DTexture9* red = Flat(0xFFFF0000);
  auto frame = [&] {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    effect_->SetTexture("Texture1", red);
    UINT passes = 0;
    effect_->Begin(&passes, 0);
    device_->BeginScene();
    effect_->BeginPass(0);
    DrawQuad();
    effect_->EndPass();
    effect_->End();
    device_->EndScene();
  };
  const std::vector<d3dx9::EffectCall>* calls = d3dx9::RecordedEffectCalls(effect_);
  ASSERT_NE(calls, nullptr);
  for (int i = 0; i < 100; ++i) frame();
  EXPECT_TRUE(calls->empty());
  EXPECT_EQ(BackBufferPixel(10, 10), 0xFF0000u) << "the effect works unrecorded";
  EXPECT_EQ(effect_->SetFloat("Nope", 1.0f), D3DERR_INVALIDCALL) << "and still reports failures";

  const std::vector<std::string> oneFrame{"SetTexture", "Begin", "BeginPass", "EndPass", "End"};
  {
    const d3dx9::EffectRecording outer;
    frame();
    {
      const d3dx9::EffectRecording inner;
      frame();
    }
    frame();
  }
  frame();
  std::vector<std::string> methods;
  for (const d3dx9::EffectCall& call : *calls) methods.push_back(call.method);
  std::vector<std::string> threeFrames;
  for (int i = 0; i < 3; ++i) threeFrames.insert(threeFrames.end(), oneFrame.begin(), oneFrame.end());
  EXPECT_EQ(methods, threeFrames);
}

TEST_F(EffectDrawTest, BytesThatAreNoEffectMakeNone) {
  const std::string unknownProgram = "copperleaf-effect 1\ntechnique T\npass P\nprogram no_such_program\n";
  const unsigned char compiled[] = {0x01, 0x09, 0xFF, 0xFE, 0x00, 0x00, 0x00, 0x00};
  const struct {
    const char* what;
    const void* data;
    UINT size;
  } cases[] = {
      {"compiled binary", compiled, sizeof(compiled)},
      {"unknown program", unknownProgram.data(), UINT(unknownProgram.size())},
      {"no bytes", nullptr, 0},
  };
  for (const auto& c : cases) {
    ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(0x1);
    EXPECT_TRUE(FAILED(D3DXCreateEffect(device_, c.data, c.size, nullptr, nullptr, 0, nullptr, &effect, nullptr)))
        << c.what;
    EXPECT_EQ(effect, nullptr) << c.what;
  }
}

TEST_F(EffectDrawTest, EffectHoldsItsTexturesUntilReleased) {
  IDirect3DTexture9* red = Flat(0xFFFF0000);
  const ULONG before = References(red);
  effect_->SetTexture("Texture1", red);
  EXPECT_EQ(References(red), before + 1);
  effect_->AddRef();
  EXPECT_EQ(effect_->Release(), 1u);
  EXPECT_EQ(effect_->Release(), 0u);
  effect_ = nullptr;
  EXPECT_EQ(References(red), before);
}

}  // namespace
