#include "objects/blank_texels.h"

#include <cmath>

namespace {
// 256 x 256 texels take a few tens of microseconds to go through; the shapes that gain are smaller.
constexpr uint64_t kLargest = 256 * 256;
}  // namespace

BlankTexels BlankTexels::Of(IDirect3DBaseTexture9* texture, Channel channel) {
  BlankTexels blank;
  if (!texture || texture->GetType() != D3DRTYPE_TEXTURE) return blank;
  auto* flat = static_cast<IDirect3DTexture9*>(texture);
  D3DSURFACE_DESC desc{};
  if (FAILED(flat->GetLevelDesc(0, &desc))) return blank;
  // Only the alpha of A8R8G8B8 can be 0: X8R8G8B8 reads opaque.
  const bool holds = desc.Format == D3DFMT_A8R8G8B8 || (desc.Format == D3DFMT_X8R8G8B8 && channel == Channel::kRed);
  if (!holds || desc.Width < 3 || desc.Height < 3 || uint64_t{desc.Width} * desc.Height > kLargest) return blank;
  D3DLOCKED_RECT locked{};
  if (FAILED(flat->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return blank;
  blank.width_ = static_cast<int>(desc.Width);
  blank.height_ = static_cast<int>(desc.Height);
  const size_t stride = desc.Width + 1;
  blank.above_.assign(stride * (desc.Height + 1), 0);
  // Texels are stored b, g, r, a.
  const size_t byte = channel == Channel::kRed ? 2 : 3;
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
    uint32_t inRow = 0;
    for (UINT x = 0; x < desc.Width; ++x) {
      inRow += row[static_cast<size_t>(x) * 4 + byte] != 0;
      blank.above_[(y + 1) * stride + x + 1] = blank.above_[y * stride + x + 1] + inRow;
    }
  }
  flat->UnlockRect(0);
  return blank;
}

bool BlankTexels::Blank(float uLow, float uHigh, float vLow, float vHigh) const {
  if (above_.empty()) return false;
  const float w = static_cast<float>(width_);
  const float h = static_cast<float>(height_);
  // The lookups scale u and v by the size as these do, and the scaling keeps their order: every
  // lookup's scaled coordinate lies between these. A bilinear lookup reads the texel below its
  // scaled coordinate less a half and the next; a point lookup the one below: all within one
  // texel of the floor of the scaled coordinate.
  const float xLow = uLow * w;
  const float xHigh = uHigh * w;
  const float yLow = vLow * h;
  const float yHigh = vHigh * h;
  if (!(xLow >= 1.0f && xLow <= xHigh && xHigh < w - 1.0f && yLow >= 1.0f && yLow <= yHigh && yHigh < h - 1.0f))
    return false;
  const size_t x0 = static_cast<size_t>(std::floor(xLow)) - 1;
  const size_t x1 = static_cast<size_t>(std::floor(xHigh)) + 2;  // one past the last
  const size_t y0 = static_cast<size_t>(std::floor(yLow)) - 1;
  const size_t y1 = static_cast<size_t>(std::floor(yHigh)) + 2;
  const size_t stride = static_cast<size_t>(width_) + 1;
  return above_[y1 * stride + x1] - above_[y0 * stride + x1] - above_[y1 * stride + x0] + above_[y0 * stride + x0] == 0;
}
