// Pictures in floating-point colour: what surface copies, scaling and mip levels work on, so that
// every texel format of the device converts to every other through one path.
#pragma once
#include <vector>

#include <d3dx9.h>

#include "platform/d3d9/color.h"
#include "platform/d3dx9/image.h"

namespace d3dx9 {

struct Picture {
  UINT width = 0;
  UINT height = 0;
  std::vector<d3d9::Color> texels;  // top row first

  d3d9::Color& at(UINT x, UINT y) { return texels[size_t(y) * width + x]; }
  const d3d9::Color& at(UINT x, UINT y) const { return texels[size_t(y) * width + x]; }
};

Picture FromImage(const Image& image);

// Texels whose A8R8G8B8 value equals a non-zero colour key become transparent black.
void ApplyColorKey(Picture& picture, D3DCOLOR key);

// A copy at width x height. The filter's low byte picks the method: D3DX_FILTER_NONE copies the
// overlapping corner and leaves the rest transparent black, POINT takes the nearest texel, LINEAR
// interpolates, TRIANGLE and BOX average the texels under the target texel (interpolating when the
// picture grows). The same size gives an exact copy with every filter.
Picture Resample(const Picture& source, UINT width, UINT height, DWORD filter);

// Surfaces and texture levels, through the device's own locks. A rect of null means the whole
// surface; one that does not fit gives D3DERR_INVALIDCALL.
HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT* rect, Picture& out);
HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT* rect, const Picture& picture);
HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, const Picture& picture);

// Fills the levels below `from` of a texture, each from the one above it.
HRESULT FillLowerLevels(IDirect3DTexture9* texture, UINT from, DWORD filter);

// The number of levels of a full chain down to 1 x 1.
UINT FullChainLevels(UINT width, UINT height);

}  // namespace d3dx9
