// The glass ball's generated textures: the sphere's bump map, the circular mask and the background
// gradient.
#include <cmath>
#include <cstring>

#include "document/device.h"
#include "slideshow/glass_ball_light.h"

namespace {

// Maps the arctangent's range (+-pi/2) onto +-25600.
constexpr double kSlopeScale = 16297.4658203125;
constexpr int kMaskRadiusSquared = 508 * 508;

// Height of a hemisphere of radius 128 texels over the squared distance e from its centre.
float Height(int e) { return e <= 16384 ? std::sqrt(static_cast<float>(16384 - e)) : 0.0f; }

int16_t Slope(float difference) {
  return static_cast<int16_t>(std::trunc(std::atan(static_cast<double>(difference)) * kSlopeScale));
}

// A managed texture locked at its top level; empty when it cannot be made or locked.
class LockedTexture {
 public:
  LockedTexture(ComHolder<IDirect3DTexture9>& texture, UINT size, UINT levels, D3DFORMAT format) : texture_(texture) {
    texture_.Release();
    if (!g_Device || FAILED(g_Device->CreateTexture(size, size, levels, 0, format, D3DPOOL_MANAGED, texture_.Out(),
                                                    nullptr)) ||
        !texture_)
      return;
    if (FAILED(texture_->LockRect(0, &locked_, nullptr, 0)) || !locked_.pBits) {
      // A texture that cannot be written would show whatever its memory held.
      texture_.Release();
      locked_.pBits = nullptr;
    }
  }
  ~LockedTexture() {
    if (locked_.pBits) texture_->UnlockRect(0);
  }
  LockedTexture(const LockedTexture&) = delete;
  LockedTexture& operator=(const LockedTexture&) = delete;

  bool Ok() const { return locked_.pBits != nullptr; }
  BYTE* Row(int y) const { return static_cast<BYTE*>(locked_.pBits) + static_cast<ptrdiff_t>(y) * locked_.Pitch; }

 private:
  ComHolder<IDirect3DTexture9>& texture_;
  D3DLOCKED_RECT locked_{};
};

}  // namespace

namespace glass_ball {

uint32_t BumpTexel(int c, int r) {
  // The last column has no right neighbour: it stays flat.
  if (c >= kBumpSize - 1) return 0;
  const int dx = c - 128, dy = r - 128;
  const float h0 = Height(dx * dx + dy * dy);
  const float h1 = Height((dx + 1) * (dx + 1) + dy * dy);
  const float h2 = Height(dx * dx + (dy + 1) * (dy + 1));
  const auto u = static_cast<uint16_t>(Slope(h0 - h1));
  const auto v = static_cast<uint16_t>(Slope(h0 - h2));
  return uint32_t{v} << 16 | u;
}

uint8_t MaskTexel(int x, int y) {
  const int dx = x - kMaskSize / 2, dy = y - kMaskSize / 2;
  return dx * dx + dy * dy > kMaskRadiusSquared ? 255 : 0;
}

uint32_t GradientTexel(DWORD top, DWORD bottom, int row) {
  uint32_t texel = 0;
  // Red is the stored low byte and goes to bits 16-23; blue the stored third byte, to bits 0-7.
  const int shifts[3][2] = {{0, 16}, {8, 8}, {16, 0}};
  for (const auto& shift : shifts) {
    const float a = static_cast<float>((top >> shift[0]) & 0xFFu);
    const float b = static_cast<float>((bottom >> shift[0]) & 0xFFu);
    const auto channel = static_cast<uint32_t>(std::trunc(a + (b - a) * static_cast<float>(row) / 255.0f));
    texel |= (channel & 0xFFu) << shift[1];
  }
  return texel;
}

}  // namespace glass_ball

HRESULT DS_GlassBallLight::CreateSphereBumpMap() {
  LockedTexture map(bumpMap, glass_ball::kBumpSize, 1, D3DFMT_V16U16);
  if (!map.Ok()) return E_FAIL;
  for (int r = 0; r < glass_ball::kBumpSize; ++r) {
    BYTE* row = map.Row(r);
    for (int c = 0; c < glass_ball::kBumpSize; ++c) {
      const uint32_t texel = glass_ball::BumpTexel(c, r);
      std::memcpy(row + 4 * c, &texel, 4);
    }
  }
  return S_OK;
}

HRESULT DS_GlassBallLight::CreateSphereMask() {
  LockedTexture mask(sphereMask, glass_ball::kMaskSize, 1, D3DFMT_A8);
  if (!mask.Ok()) return E_FAIL;
  for (int y = 0; y < glass_ball::kMaskSize; ++y) {
    BYTE* row = mask.Row(y);
    for (int x = 0; x < glass_ball::kMaskSize; ++x) row[x] = glass_ball::MaskTexel(x, y);
  }
  return S_OK;
}

HRESULT DS_GlassBallLight::CreateGradientTexture() {
  // One level: lower levels left unwritten would be read by the mip filter on a small target.
  LockedTexture texture(gradient, glass_ball::kGradientSize, 1, D3DFMT_A8R8G8B8);
  if (!texture.Ok()) return E_FAIL;
  for (int y = 0; y < glass_ball::kGradientSize; ++y) {
    const uint32_t texel = glass_ball::GradientTexel(topColor.value, bottomColor.value, y);
    BYTE* row = texture.Row(y);
    for (int x = 0; x < glass_ball::kGradientSize; ++x) std::memcpy(row + 4 * x, &texel, 4);
  }
  return S_OK;
}
