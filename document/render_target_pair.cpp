#include "document/render_target_pair.h"

#include <d3dx9tex.h>

#include "document/device.h"

void RenderTargetPair::Create(UINT width, UINT height) {
  width_ = width;
  height_ = height;
  ReleaseTextures();
  if (g_Device) {
    for (ComHolder<IDirect3DTexture9>& texture : textures_) {
      g_Device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                              texture.Out(), nullptr);
    }
  }
  current_ = textures_[index_];
}

void RenderTargetPair::CreateFromTexture(IDirect3DTexture9* source, UINT width, UINT height) {
  Create(width, height);
  if (!source || !current_) return;
  ComHolder<IDirect3DSurface9> from, to;
  if (FAILED(source->GetSurfaceLevel(0, from.Out())) || FAILED(current_->GetSurfaceLevel(0, to.Out()))) return;
  D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, D3DX_FILTER_TRIANGLE, 0);
}

void RenderTargetPair::ReleaseTextures() {
  current_.Release();
  textures_[0].Release();
  textures_[1].Release();
}

void RenderTargetPair::BindCurrent() {
  if (!g_Device || !current_) return;
  ComHolder<IDirect3DSurface9> surface;
  if (SUCCEEDED(current_->GetSurfaceLevel(0, surface.Out())) && surface) g_Device->SetRenderTarget(0, surface.Get());
}

void RenderTargetPair::BeginRender() {
  savedRenderTarget_.Release();
  savedDepthStencil_.Release();
  if (!g_Device) return;
  g_Device->GetRenderTarget(0, savedRenderTarget_.Out());
  g_Device->GetDepthStencilSurface(savedDepthStencil_.Out());
  BindCurrent();
  g_Device->SetDepthStencilSurface(nullptr);
}

IDirect3DTexture9* RenderTargetPair::Swap() {
  IDirect3DTexture9* previous = current_.Get();
  index_ = (index_ + 1) % 2;
  current_ = textures_[index_];
  // Without a texture of its own the pair must not wipe whatever target is bound now.
  if (g_Device && current_) {
    BindCurrent();
    g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  }
  return previous;
}

void RenderTargetPair::EndRender() {
  if (g_Device) {
    if (savedRenderTarget_) g_Device->SetRenderTarget(0, savedRenderTarget_.Get());
    g_Device->SetDepthStencilSurface(savedDepthStencil_.Get());
  }
  savedRenderTarget_.Release();
  savedDepthStencil_.Release();
}
