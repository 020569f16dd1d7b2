#include "picture.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/formats.h"

namespace d3dx9 {
namespace {

constexpr float kInv255 = 1.0f / 255.0f;

d3d9::Color FromArgb(uint32_t v) {
  return {float((v >> 16) & 0xFF) * kInv255, float((v >> 8) & 0xFF) * kInv255, float(v & 0xFF) * kInv255,
          float(v >> 24) * kInv255};
}

uint32_t ToArgb(const d3d9::Color& c) {
  return uint32_t(d3d9::ToByte(c.a)) << 24 | uint32_t(d3d9::ToByte(c.r)) << 16 | uint32_t(d3d9::ToByte(c.g)) << 8 |
         d3d9::ToByte(c.b);
}

// Weights of the source texels along one axis for each target texel.
struct Tap {
  UINT index;
  float weight;
};

// POINT takes the texel under the target texel's centre. LINEAR interpolates between the two
// texels nearest to that centre. TRIANGLE and BOX average the source texels the target texel
// covers, each by the part of it that is covered, so that every source texel counts equally; when
// the picture grows they interpolate like LINEAR.
std::vector<std::vector<Tap>> Taps(UINT source, UINT target, DWORD method) {
  std::vector<std::vector<Tap>> taps(target);
  const float scale = float(source) / float(target);
  const bool average = method != D3DX_FILTER_LINEAR && scale > 1.0f;
  for (UINT t = 0; t < target; ++t) {
    const float centre = (float(t) + 0.5f) * scale;  // in source texel units, edges at integers
    auto& list = taps[t];
    if (method == D3DX_FILTER_POINT) {
      list.push_back({std::min(source - 1, UINT(centre)), 1.0f});
    } else if (average) {
      const float from = float(t) * scale, to = float(t + 1) * scale;
      for (UINT s = UINT(from); s < source && float(s) < to; ++s) {
        const float covered = std::min(float(s) + 1.0f, to) - std::max(float(s), from);
        if (covered > 0) list.push_back({s, covered});
      }
    } else {
      const float position = std::clamp(centre - 0.5f, 0.0f, float(source - 1));
      const UINT left = UINT(position);
      const float right = position - float(left);
      list.push_back({left, 1.0f - right});
      if (right > 0 && left + 1 < source) list.push_back({left + 1, right});
    }
    if (list.empty()) list.push_back({std::min(source - 1, UINT(centre)), 1.0f});
    float total = 0;
    for (const Tap& tap : list) total += tap.weight;
    for (Tap& tap : list) tap.weight /= total;
  }
  return taps;
}

d3d9::Color Weighted(const d3d9::Color& sum, const d3d9::Color& c, float w) {
  return {sum.r + c.r * w, sum.g + c.g * w, sum.b + c.b * w, sum.a + c.a * w};
}

bool FitsIn(const RECT* rect, const D3DSURFACE_DESC& desc) {
  return !rect || (rect->left >= 0 && rect->top >= 0 && rect->left < rect->right && rect->top < rect->bottom &&
                   UINT(rect->right) <= desc.Width && UINT(rect->bottom) <= desc.Height);
}

}  // namespace

Picture FromImage(const Image& image) {
  Picture p{image.width, image.height, {}};
  p.texels.reserve(image.pixels.size());
  for (uint32_t v : image.pixels) p.texels.push_back(FromArgb(v));
  return p;
}

void ApplyColorKey(Picture& picture, D3DCOLOR key) {
  if (key == 0) return;
  for (d3d9::Color& c : picture.texels)
    if (ToArgb(c) == key) c = d3d9::Color{};
}

Picture Resample(const Picture& source, UINT width, UINT height, DWORD filter) {
  if (source.width == width && source.height == height) return source;
  Picture out{width, height, std::vector<d3d9::Color>(size_t(width) * height)};
  if (source.width == 0 || source.height == 0) return out;
  DWORD method = filter & 0xFF;
  if (method == D3DX_FILTER_NONE) {
    for (UINT y = 0; y < std::min(height, source.height); ++y)
      for (UINT x = 0; x < std::min(width, source.width); ++x) out.at(x, y) = source.at(x, y);
    return out;
  }
  if (method != D3DX_FILTER_POINT && method != D3DX_FILTER_LINEAR) method = D3DX_FILTER_TRIANGLE;
  const auto across = Taps(source.width, width, method);
  const auto down = Taps(source.height, height, method);
  // Rows first, then columns.
  Picture rows{width, source.height, std::vector<d3d9::Color>(size_t(width) * source.height)};
  for (UINT y = 0; y < source.height; ++y)
    for (UINT x = 0; x < width; ++x) {
      d3d9::Color sum{};
      for (const Tap& tap : across[x]) sum = Weighted(sum, source.at(tap.index, y), tap.weight);
      rows.at(x, y) = sum;
    }
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x) {
      d3d9::Color sum{};
      for (const Tap& tap : down[y]) sum = Weighted(sum, rows.at(x, tap.index), tap.weight);
      out.at(x, y) = sum;
    }
  return out;
}

HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT* rect, Picture& out) {
  D3DSURFACE_DESC desc;
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  const UINT bytes = d3d9::BytesPerTexel(desc.Format);
  if (bytes == 0 || !FitsIn(rect, desc)) return D3DERR_INVALIDCALL;
  const UINT width = rect ? UINT(rect->right - rect->left) : desc.Width;
  const UINT height = rect ? UINT(rect->bottom - rect->top) : desc.Height;
  D3DLOCKED_RECT locked;
  hr = surface->LockRect(&locked, rect, D3DLOCK_READONLY);
  if (FAILED(hr)) return hr;
  if (!locked.pBits) {
    surface->UnlockRect();
    return D3DERR_INVALIDCALL;
  }
  out = Picture{width, height, std::vector<d3d9::Color>(size_t(width) * height)};
  for (UINT y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(locked.pBits) + ptrdiff_t(y) * locked.Pitch;
    for (UINT x = 0; x < width; ++x) out.at(x, y) = d3d9::DecodeTexel(desc.Format, row + size_t(x) * bytes);
  }
  surface->UnlockRect();
  return S_OK;
}

HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT* rect, const Picture& picture) {
  D3DSURFACE_DESC desc;
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  const UINT bytes = d3d9::BytesPerTexel(desc.Format);
  if (bytes == 0 || d3d9::IsDepthFormat(desc.Format) || !FitsIn(rect, desc)) return D3DERR_INVALIDCALL;
  const UINT width = rect ? UINT(rect->right - rect->left) : desc.Width;
  const UINT height = rect ? UINT(rect->bottom - rect->top) : desc.Height;
  if (picture.width != width || picture.height != height) return D3DERR_INVALIDCALL;
  D3DLOCKED_RECT locked;
  hr = surface->LockRect(&locked, rect, 0);
  if (FAILED(hr)) return hr;
  if (!locked.pBits) {
    surface->UnlockRect();
    return D3DERR_INVALIDCALL;
  }
  for (UINT y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(locked.pBits) + ptrdiff_t(y) * locked.Pitch;
    for (UINT x = 0; x < width; ++x) d3d9::EncodeTexel(desc.Format, picture.at(x, y), row + size_t(x) * bytes);
  }
  surface->UnlockRect();
  return S_OK;
}

HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, const Picture& picture) {
  IDirect3DSurface9* surface = nullptr;
  HRESULT hr = texture->GetSurfaceLevel(level, &surface);
  if (FAILED(hr)) return hr;
  if (!surface) return D3DERR_INVALIDCALL;
  hr = WriteSurface(surface, nullptr, picture);
  surface->Release();
  return hr;
}

HRESULT FillLowerLevels(IDirect3DTexture9* texture, UINT from, DWORD filter) {
  const UINT levels = texture->GetLevelCount();
  if (from >= levels) return D3DERR_INVALIDCALL;
  if (from + 1 == levels) return S_OK;
  IDirect3DSurface9* surface = nullptr;
  HRESULT hr = texture->GetSurfaceLevel(from, &surface);
  if (FAILED(hr)) return hr;
  if (!surface) return D3DERR_INVALIDCALL;
  Picture above;
  hr = ReadSurface(surface, nullptr, above);
  surface->Release();
  if (FAILED(hr)) return hr;
  // With no filter the levels are still filled, by point sampling, rather than left undefined.
  DWORD method = filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : filter & 0xFF;
  if (method == D3DX_FILTER_NONE) method = D3DX_FILTER_POINT;
  for (UINT level = from + 1; level < levels; ++level) {
    D3DSURFACE_DESC desc;
    hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    Picture below = Resample(above, desc.Width, desc.Height, method);
    hr = WriteLevel(texture, level, below);
    if (FAILED(hr)) return hr;
    above = std::move(below);
  }
  return S_OK;
}

UINT FullChainLevels(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT side = std::max(width, height); side > 1; side >>= 1) ++levels;
  return levels;
}

}  // namespace d3dx9
