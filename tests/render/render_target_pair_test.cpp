#include "document/render_target_pair.h"

#include <gtest/gtest.h>

#include "device_fixture.h"

namespace {

ComHolder<IDirect3DSurface9> BoundTarget() {
  ComHolder<IDirect3DSurface9> surface;
  g_Device->GetRenderTarget(0, surface.Out());
  return surface;
}
ComHolder<IDirect3DSurface9> BoundDepth() {
  ComHolder<IDirect3DSurface9> surface;
  g_Device->GetDepthStencilSurface(surface.Out());
  return surface;
}
ComHolder<IDirect3DSurface9> TopLevel(IDirect3DTexture9* texture) {
  ComHolder<IDirect3DSurface9> surface;
  if (texture) texture->GetSurfaceLevel(0, surface.Out());
  return surface;
}

}  // namespace

using RenderTargetPairTest = RenderDeviceTest;

TEST_F(RenderTargetPairTest, SwapAlternatesAndClearsTheNewTarget) {
  RenderTargetPair pair;
  pair.Create(64, 32);
  ASSERT_TRUE(pair.Texture(0) && pair.Texture(1));
  EXPECT_EQ(pair.Current(), pair.Texture(0));
  pair.BeginRender();
  EXPECT_EQ(BoundTarget().Get(), TopLevel(pair.Texture(0)).Get());
  EXPECT_FALSE(BoundDepth());
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);

  IDirect3DTexture9* first = pair.Swap();
  EXPECT_EQ(first, pair.Texture(0));
  EXPECT_EQ(pair.Index(), 1);
  EXPECT_EQ(BoundTarget().Get(), TopLevel(pair.Texture(1)).Get());
  IDirect3DTexture9* second = pair.Swap();
  EXPECT_EQ(second, pair.Texture(1));
  EXPECT_EQ(pair.Index(), 0);
  pair.EndRender();

  // The texture swapped to was cleared to opaque black over the green drawn before.
  UINT w = 0, h = 0;
  const std::vector<uint32_t> pixels = ReadTexture(pair.Texture(0), &w, &h);
  ASSERT_EQ(w, 64u);
  ASSERT_EQ(h, 32u);
  EXPECT_EQ(pixels[5 * 64 + 7], 0xFF000000u);
}

TEST_F(RenderTargetPairTest, EndRenderRestoresTheSurfacesBoundBefore) {
  const ComHolder<IDirect3DSurface9> target = BoundTarget();
  const ComHolder<IDirect3DSurface9> depth = BoundDepth();
  ASSERT_TRUE(target);
  RenderTargetPair pair;
  pair.Create(16, 16);
  for (bool withDepth : {true, false}) {
    device_->SetDepthStencilSurface(withDepth ? depth.Get() : nullptr);
    pair.BeginRender();
    pair.Swap();
    pair.EndRender();
    EXPECT_EQ(BoundTarget().Get(), target.Get());
    EXPECT_EQ(BoundDepth().Get(), withDepth ? depth.Get() : nullptr);
  }
}

TEST_F(RenderTargetPairTest, RecreationKeepsTheIndex) {
  RenderTargetPair pair;
  pair.Create(16, 16);
  pair.Swap();
  pair.Create(32, 32);
  EXPECT_EQ(pair.Index(), 1);
  EXPECT_EQ(pair.Current(), pair.Texture(1));
  EXPECT_EQ(pair.Width(), 32u);
}

TEST_F(RenderTargetPairTest, PairWithoutTexturesLeavesTheBackBufferAlone) {
  RenderTargetPair pair;  // never created: no textures
  const ComHolder<IDirect3DSurface9> target = BoundTarget();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0);
  pair.BeginRender();
  EXPECT_EQ(pair.Swap(), nullptr);
  EXPECT_EQ(BoundTarget().Get(), target.Get());
  pair.EndRender();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(pixels[0], 0x336699u);
}

TEST_F(RenderTargetPairTest, CreateFromTextureCopiesTheSource) {
  ComHolder<IDirect3DTexture9> source;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, source.Out(), nullptr), S_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(source->LockRect(0, &locked, nullptr, 0), S_OK);
  for (int y = 0; y < 8; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < 8; ++x) row[x] = 0xFF204080u;
  }
  source->UnlockRect(0);
  RenderTargetPair pair;
  pair.CreateFromTexture(source.Get(), 16, 16);
  UINT w = 0, h = 0;
  const std::vector<uint32_t> pixels = ReadTexture(pair.Current(), &w, &h);
  ASSERT_EQ(w, 16u);
  EXPECT_EQ(pixels[8 * 16 + 8], 0xFF204080u);
}
