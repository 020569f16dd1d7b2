// Copies between surfaces, with conversion between texel formats and scaling, and mip-level filling.
#include "platform/d3dx9/picture.h"

HRESULT WINAPI D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE9 pDestSurface, const PALETTEENTRY* /*pDestPalette*/,
                                          const RECT* pDestRect, LPDIRECT3DSURFACE9 pSrcSurface,
                                          const PALETTEENTRY* /*pSrcPalette*/, const RECT* pSrcRect, DWORD Filter,
                                          D3DCOLOR ColorKey) {
  if (!pDestSurface || !pSrcSurface) return D3DERR_INVALIDCALL;
  d3dx9::Picture source;
  HRESULT hr = d3dx9::ReadSurface(pSrcSurface, pSrcRect, source);
  if (FAILED(hr)) return hr;
  d3dx9::ApplyColorKey(source, ColorKey);
  UINT width, height;
  if (pDestRect) {
    if (pDestRect->right <= pDestRect->left || pDestRect->bottom <= pDestRect->top) return D3DERR_INVALIDCALL;
    width = UINT(pDestRect->right - pDestRect->left);
    height = UINT(pDestRect->bottom - pDestRect->top);
  } else {
    D3DSURFACE_DESC desc;
    hr = pDestSurface->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    width = desc.Width;
    height = desc.Height;
  }
  const DWORD filter = Filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : Filter;
  return d3dx9::WriteSurface(pDestSurface, pDestRect, d3dx9::Resample(source, width, height, filter));
}

HRESULT WINAPI D3DXFilterTexture(LPDIRECT3DBASETEXTURE9 pBaseTexture, const PALETTEENTRY* /*pPalette*/,
                                 UINT SrcLevel, DWORD Filter) {
  auto* texture = dynamic_cast<IDirect3DTexture9*>(pBaseTexture);
  if (!texture) return D3DERR_INVALIDCALL;
  if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
  return d3dx9::FillLowerLevels(texture, SrcLevel, Filter);
}
