// Textures for the pixel programs' tests, and a texture as a program's stage reads it.
#pragma once
#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/d3d9/texture_view.h"
#include "document/com_holder.h"

// A side x side texture of `format` (4 bytes a texel) whose texel (x, y) has the bytes texel(x, y).
template <class Texel>
ComHolder<IDirect3DTexture9> FilledTexture(IDirect3DDevice9* device, D3DFORMAT format, int side, Texel texel) {
  ComHolder<IDirect3DTexture9> texture;
  EXPECT_EQ(device->CreateTexture(side, side, 1, 0, format, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const uint32_t value = texel(x, y);
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &value, 4);
    }
  texture->UnlockRect(0);
  return texture;
}

// The top level's texels with the stage's address modes and border colour.
inline d3d9::TextureView StageView(IDirect3DTexture9* texture, DWORD addressU, DWORD addressV,
                                   d3d9::Color border = {}) {
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  texture->UnlockRect(0);
  d3d9::TextureView view;
  view.bits = static_cast<const uint8_t*>(locked.pBits);
  view.width = static_cast<int>(desc.Width);
  view.height = static_cast<int>(desc.Height);
  view.pitch = static_cast<size_t>(locked.Pitch);
  view.format = desc.Format;
  view.addressU = addressU;
  view.addressV = addressV;
  view.border = border;
  return view;
}
