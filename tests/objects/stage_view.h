// A texture as a pixel program's stage reads it: the top level's texels with the stage's address
// modes and border colour.
#pragma once
#include <d3d9.h>

#include "platform/d3d9/texture_view.h"

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
