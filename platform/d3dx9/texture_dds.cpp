#include "platform/d3dx9/texture_dds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/dds_file.h"
#include "platform/d3dx9/picture.h"

namespace d3dx9 {
namespace {

bool IsDefault(UINT value) { return value == 0 || value == D3DX_DEFAULT || value == D3DX_DEFAULT_NONPOW2; }

int8_t SignedByte(float value) {
  if (!(value == value)) return 0;  // not a number: no offset
  return static_cast<int8_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 127.0f));
}

// Signed offsets are written here rather than through the general surface writer, which keeps only
// colour formats: u from red, v from green.
HRESULT WriteSignedLevel(IDirect3DTexture9* texture, UINT level, const Picture& picture) {
  D3DLOCKED_RECT locked{};
  HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  for (UINT y = 0; y < picture.height; ++y) {
    auto* row = static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
    for (UINT x = 0; x < picture.width; ++x) {
      const d3d9::Color& c = picture.at(x, y);
      row[2 * x] = static_cast<uint8_t>(SignedByte(c.r));
      row[2 * x + 1] = static_cast<uint8_t>(SignedByte(c.g));
    }
  }
  return texture->UnlockRect(level);
}

}  // namespace

HRESULT CreateTextureFromDds(IDirect3DDevice9* device, const void* data, UINT size, UINT width, UINT height,
                             UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                             DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* info, IDirect3DTexture9** out) {
  std::optional<DdsFile> file = ReadDdsFile(data, size);
  if (!file) return D3DXERR_INVALIDDATA;
  const Picture& top = file->levels.front();
  if (IsDefault(width)) width = top.width;
  if (IsDefault(height)) height = top.height;
  if (format == D3DFMT_UNKNOWN) format = file->format;
  if (format == D3DFMT_R8G8B8) format = D3DFMT_X8R8G8B8;
  // The file's own chain when it has one and keeps its size; otherwise the full chain, made from the
  // top level.
  const UINT full = FullChainLevels(width, height);
  const bool ownChain = file->levels.size() > 1 && width == top.width && height == top.height;
  UINT levels = IsDefault(mipLevels) ? (ownChain ? UINT(file->levels.size()) : full) : mipLevels;
  levels = std::min(levels, full);

  IDirect3DTexture9* texture = nullptr;
  HRESULT hr = device->CreateTexture(width, height, levels, usage, format, pool, &texture, nullptr);
  if (FAILED(hr)) return hr;
  if (!texture) return D3DERR_INVALIDCALL;

  const DWORD sizeFilter = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : filter;
  DWORD levelFilter = mipFilter == D3DX_DEFAULT ? D3DX_FILTER_BOX : mipFilter & 0xFF;
  if (levelFilter == D3DX_FILTER_NONE) levelFilter = D3DX_FILTER_POINT;
  Picture above;
  for (UINT level = 0; level < levels && SUCCEEDED(hr); ++level) {
    const UINT w = std::max<UINT>(1, width >> level), h = std::max<UINT>(1, height >> level);
    Picture picture;
    if (level < file->levels.size() && file->levels[level].width == w && file->levels[level].height == h)
      picture = std::move(file->levels[level]);
    else if (level == 0)
      picture = Resample(top, w, h, sizeFilter);
    else
      picture = Resample(above, w, h, levelFilter);
    if (format != D3DFMT_V8U8) ApplyColorKey(picture, colorKey);
    hr = format == D3DFMT_V8U8 ? WriteSignedLevel(texture, level, picture) : WriteLevel(texture, level, picture);
    above = std::move(picture);
  }
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  if (info)
    *info = D3DXIMAGE_INFO{top.width, top.height, 1, UINT(file->levels.size()), file->format, D3DRTYPE_TEXTURE,
                           D3DXIFF_DDS};
  *out = texture;
  return S_OK;
}

}  // namespace d3dx9
