// Everything the device draws with: render, texture-stage and sampler states, transforms, viewport,
// material, lights and the bound objects. The recorder copies it with every call.
#pragma once
#include <array>
#include <vector>

#include <d3d9.h>

namespace d3d9 {

constexpr DWORD kStageCount = 8;
constexpr DWORD kRenderStateCount = 256;
constexpr DWORD kStageStateCount = 33;
constexpr DWORD kSamplerStateCount = 14;
constexpr DWORD kLightCount = 8;

struct Light {
  D3DLIGHT9 light{};
  bool enabled = false;
};

struct DeviceState {
  std::array<DWORD, kRenderStateCount> render{};
  std::array<std::array<DWORD, kStageStateCount>, kStageCount> stage{};
  std::array<std::array<DWORD, kSamplerStateCount>, kStageCount> sampler{};
  D3DMATRIX world{};
  D3DMATRIX view{};
  D3DMATRIX projection{};
  std::array<D3DMATRIX, kStageCount> texture{};
  D3DVIEWPORT9 viewport{};
  D3DMATERIAL9 material{};
  std::array<Light, kLightCount> lights{};
  DWORD fvf = 0;
  // Bound objects; the device holds a reference on each.
  std::array<IDirect3DBaseTexture9*, kStageCount> textures{};
  IDirect3DVertexBuffer9* stream = nullptr;
  UINT streamOffset = 0;
  UINT streamStride = 0;
  IDirect3DIndexBuffer9* indices = nullptr;
  IDirect3DSurface9* renderTarget = nullptr;
  IDirect3DSurface9* depthStencil = nullptr;

  DWORD Render(D3DRENDERSTATETYPE state) const { return render[state]; }
  DWORD Stage(DWORD index, D3DTEXTURESTAGESTATETYPE type) const { return stage[index][type]; }
  DWORD Sampler(DWORD index, D3DSAMPLERSTATETYPE type) const { return sampler[index][type]; }
};

// Direct3D 9's defaults (the bound objects and the viewport are set by the device).
DeviceState DefaultState(bool autoDepthStencil);

D3DMATRIX IdentityMatrix();

inline float FloatOf(DWORD bits) {
  float value;
  static_assert(sizeof value == sizeof bits);
  __builtin_memcpy(&value, &bits, sizeof value);
  return value;
}
inline DWORD BitsOf(float value) {
  DWORD bits;
  __builtin_memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace d3d9
