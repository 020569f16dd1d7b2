// Textures filled from DDS files, level by level, in the file's own texel format unless the caller
// asks for another.
#pragma once
#include <d3dx9.h>

namespace d3dx9 {

HRESULT CreateTextureFromDds(IDirect3DDevice9* device, const void* data, UINT size, UINT width, UINT height,
                             UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                             DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* info, IDirect3DTexture9** texture);

}  // namespace d3dx9
