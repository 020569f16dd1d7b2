#include "document/texture_loaders.h"

#include <d3dx9.h>

#include "document/device.h"
#include "document/resource_bytes.h"

namespace {

HRESULT CreateFromMemory(const void* data, UINT size, UINT mipLevels, DWORD filter, DWORD mipFilter,
                         D3DXIMAGE_INFO* info, TextureHolder& holder) {
  holder.Release();
  if (!data || size == 0) return E_FAIL;
  const HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(g_Device, data, size, D3DX_DEFAULT, D3DX_DEFAULT, mipLevels,
                                                         0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, filter, mipFilter, 0,
                                                         info, nullptr, holder.Out());
  if (FAILED(hr)) {
    holder.Release();
    return hr;
  }
  return holder ? S_OK : E_FAIL;
}

}  // namespace

HRESULT LoadOwnResourceTexture(TextureHolder& holder, int id, bool fullMipChain) {
  const std::span<const BYTE> bytes = FindDdsResource(nullptr, id);
  const UINT mipLevels = fullMipChain ? D3DX_DEFAULT : 1;
  const DWORD mipFilter = fullMipChain ? D3DX_DEFAULT : D3DX_FILTER_NONE;
  return CreateFromMemory(bytes.data(), static_cast<UINT>(bytes.size()), mipLevels, D3DX_FILTER_NONE, mipFilter,
                          nullptr, holder);
}

HRESULT LoadModuleResourceTexture(HMODULE module, int id, TextureHolder& holder, D3DXIMAGE_INFO* info) {
  const std::span<const BYTE> bytes = FindDdsResource(module, id);
  return TextureFromMemoryInfo(info, bytes.data(), static_cast<UINT>(bytes.size()), holder);
}

HRESULT TextureFromMemoryInfo(D3DXIMAGE_INFO* info, const void* data, UINT size, TextureHolder& holder) {
  return CreateFromMemory(data, size, 1, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, info, holder);
}

void CopyTextureToNew(IDirect3DTexture9* source, TextureHolder& out, D3DFORMAT format, UINT width, UINT height) {
  out.Release();
  if (!source) return;
  TextureHolder copy;
  if (FAILED(D3DXCreateTexture(g_Device, width, height, 0, 0, format, D3DPOOL_MANAGED, copy.Out())) || !copy) return;
  ComHolder<IDirect3DSurface9> from, to;
  if (FAILED(source->GetSurfaceLevel(0, from.Out())) || !from) return;
  if (FAILED(copy->GetSurfaceLevel(0, to.Out())) || !to) return;
  if (FAILED(D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr,
                                        D3DX_FILTER_TRIANGLE, 0))) {
    return;
  }
  // The chain below the top level would otherwise hold whatever the allocation left there.
  if (copy->GetLevelCount() > 1 && FAILED(D3DXFilterTexture(copy.Get(), nullptr, 0, D3DX_FILTER_TRIANGLE))) return;
  out = copy;
}
