// Textures made by D3DX: empty ones with D3DX's choice of format, and ones filled from image files
// (DDS files keep their own texel format and levels).
#include <vector>

#include "platform/d3dx9/dds_file.h"
#include "platform/d3dx9/file_bytes.h"
#include "platform/d3dx9/image.h"
#include "platform/d3dx9/picture.h"
#include "platform/d3dx9/texture_dds.h"

namespace {

bool IsDefault(UINT value) { return value == 0 || value == D3DX_DEFAULT || value == D3DX_DEFAULT_NONPOW2; }

// The device stores no 24-bit texels: the next larger layout takes their place.
D3DFORMAT StorableFormat(D3DFORMAT format) {
  if (format == D3DFMT_UNKNOWN) return D3DFMT_A8R8G8B8;
  if (format == D3DFMT_R8G8B8) return D3DFMT_X8R8G8B8;
  return format;
}

UINT ChainLevels(UINT requested, UINT width, UINT height) {
  const UINT full = d3dx9::FullChainLevels(width, height);
  return IsDefault(requested) || requested > full ? full : requested;
}

}  // namespace

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE9 pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                 D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DTEXTURE9* ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice) return D3DERR_INVALIDCALL;
  // Like D3DX, a missing side takes the other one, or 256 when both are missing.
  if (IsDefault(Width) && IsDefault(Height)) Width = Height = 256;
  if (IsDefault(Width)) Width = Height;
  if (IsDefault(Height)) Height = Width;
  return pDevice->CreateTexture(Width, Height, ChainLevels(MipLevels, Width, Height), Usage, StorableFormat(Format),
                                Pool, ppTexture, nullptr);
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* /*pPalette*/, LPDIRECT3DTEXTURE9* ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;

  if (d3dx9::IsDdsFile(pSrcData, SrcDataSize))
    return d3dx9::CreateTextureFromDds(pDevice, pSrcData, SrcDataSize, Width, Height, MipLevels, Usage, Format, Pool,
                                       Filter, MipFilter, ColorKey, pSrcInfo, ppTexture);

  d3dx9::Image image;
  HRESULT hr = d3dx9::DecodeImage(pSrcData, SrcDataSize, image);
  if (FAILED(hr)) return hr;

  // The texture takes the picture's own size: it is never padded to a power of two.
  const UINT width = IsDefault(Width) ? image.width : Width;
  const UINT height = IsDefault(Height) ? image.height : Height;
  const D3DFORMAT imageFormat = image.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  const D3DFORMAT format = Format == D3DFMT_UNKNOWN ? imageFormat : StorableFormat(Format);

  IDirect3DTexture9* texture = nullptr;
  hr = pDevice->CreateTexture(width, height, ChainLevels(MipLevels, width, height), Usage, format, Pool, &texture,
                              nullptr);
  if (FAILED(hr)) return hr;
  if (!texture) return D3DERR_INVALIDCALL;

  d3dx9::Picture picture = d3dx9::FromImage(image);
  image.pixels = {};
  d3dx9::ApplyColorKey(picture, ColorKey);
  const DWORD filter = Filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : Filter;
  hr = d3dx9::WriteLevel(texture, 0, d3dx9::Resample(picture, width, height, filter));
  if (SUCCEEDED(hr)) hr = d3dx9::FillLowerLevels(texture, 0, MipFilter);
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  if (pSrcInfo) {
    *pSrcInfo = D3DXIMAGE_INFO{image.width, image.height, 1, 1, imageFormat, D3DRTYPE_TEXTURE, image.fileFormat};
  }
  *ppTexture = texture;
  return S_OK;
}

HRESULT WINAPI D3DXCreateTextureFromFileExW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE9* ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcFile) return D3DERR_INVALIDCALL;
  std::vector<uint8_t> bytes;
  if (!d3dx9::ReadWholeFile(pSrcFile, bytes) || bytes.empty() || bytes.size() > 0xFFFFFFFFu)
    return D3DXERR_INVALIDDATA;
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, bytes.data(), UINT(bytes.size()), Width, Height, MipLevels,
                                             Usage, Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo, pPalette,
                                             ppTexture);
}
