#include "objects/blank_texels.h"

#include <cmath>

#include "objects/texel_runs.h"

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
  blank.channel_ = channel;
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

bool BlankTexels::Blank(float uLow, float uHigh, float vLow, float vHigh, const d3d9::TextureView& stage) const {
  if (above_.empty() || stage.width != width_ || stage.height != height_) return false;
  texel_runs::Reach across;
  texel_runs::Reach down;
  if (!texel_runs::Footprint(uLow, uHigh, width_, stage.addressU, across) ||
      !texel_runs::Footprint(vLow, vHigh, height_, stage.addressV, down))
    return false;
  if (across.border || down.border) {
    // A +0 border weighs +0 into a bilinear sum; a -0 would turn a sum of zeros negative.
    const float border = channel_ == Channel::kRed ? stage.border.r : stage.border.a;
    if (!(border == 0.f && !std::signbit(border))) return false;
  }
  for (int i = 0; i < across.runs; ++i)
    for (int j = 0; j < down.runs; ++j)
      if (!Zero(across.first[i], across.last[i], down.first[j], down.last[j])) return false;
  return true;
}

bool BlankTexels::Zero(int x0, int x1, int y0, int y1) const {
  const size_t stride = static_cast<size_t>(width_) + 1;
  const size_t left = static_cast<size_t>(x0);
  const size_t right = static_cast<size_t>(x1) + 1;
  const size_t top = static_cast<size_t>(y0);
  const size_t bottom = static_cast<size_t>(y1) + 1;
  return above_[bottom * stride + right] - above_[top * stride + right] - above_[bottom * stride + left] +
             above_[top * stride + left] ==
         0;
}
