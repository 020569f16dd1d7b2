// Textures from image data in the executable's resources, in a resource library or in memory. Each
// loader fills the holder with one reference and returns the D3DX error when D3DX fails, S_OK when
// the holder now holds a texture, and E_FAIL otherwise (also for a missing resource).
#pragma once
#include <d3d9.h>
#include <d3dx9tex.h>

#include "document/com_holder.h"

using TextureHolder = ComHolder<IDirect3DTexture9>;

// The executable's own "DDS" resource `id`, unscaled: with a full mip chain when asked (the
// resource cache), else one level (the quads).
HRESULT LoadOwnResourceTexture(TextureHolder& holder, int id, bool fullMipChain);

// The "DDS" resource `id` of a resource library, one level; `info` receives the image's size.
HRESULT LoadModuleResourceTexture(HMODULE module, int id, TextureHolder& holder, D3DXIMAGE_INFO* info);

// Image bytes already in memory (the scene document's embedded files), one level.
HRESULT TextureFromMemoryInfo(D3DXIMAGE_INFO* info, const void* data, UINT size, TextureHolder& holder);

// A new managed texture of width x height (format D3DFMT_UNKNOWN: D3DX's choice) with a full mip
// chain, its top level a filtered copy of the source's top level and every lower level filtered
// from it. Without a source, or when anything fails, `out` stays empty.
void CopyTextureToNew(IDirect3DTexture9* source, TextureHolder& out, D3DFORMAT format, UINT width, UINT height);
