// Two render-target textures drawn into in turn, so that what was drawn so far can be read as a
// texture while drawing goes on. They live in the default pool and are lost with the device: the
// owner releases them when the device is invalidated and calls Create again when it is restored.
#pragma once
#include <d3d9.h>

#include "document/com_holder.h"

class RenderTargetPair {
 public:
  // Stores the size and makes both textures (one level, A8R8G8B8); the current one is that of the
  // index, which survives a re-creation. Failures are not reported: the pair is then without textures.
  void Create(UINT width, UINT height);
  // Create, then a filtered copy of the source's top level into the current texture.
  void CreateFromTexture(IDirect3DTexture9* source, UINT width, UINT height);
  // Releases the current texture and both textures.
  void ReleaseTextures();

  // Saves the device's render target and depth-stencil surface, makes the current texture the render
  // target and draws without depth. It does not clear.
  void BeginRender();
  // Drawing goes on in the other texture, cleared to opaque black; returns the texture left, which
  // holds what was drawn until now (the pair keeps its reference). A pair without textures binds and
  // clears nothing.
  IDirect3DTexture9* Swap();
  // Restores the saved surfaces and lets them go.
  void EndRender();

  IDirect3DTexture9* Current() const { return current_.Get(); }
  IDirect3DTexture9* Texture(int i) const { return textures_[i].Get(); }
  int Index() const { return index_; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }

 private:
  void BindCurrent();

  ComHolder<IDirect3DTexture9> current_;
  ComHolder<IDirect3DTexture9> textures_[2];
  ComHolder<IDirect3DSurface9> savedRenderTarget_;
  ComHolder<IDirect3DSurface9> savedDepthStencil_;
  UINT width_ = 0;
  UINT height_ = 0;
  int index_ = 0;
};
