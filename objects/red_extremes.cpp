#include "objects/red_extremes.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "objects/texel_runs.h"

namespace {
// 256 x 256 texels take a few tens of microseconds to go through; the noises that gain are smaller.
constexpr uint64_t kLargest = 256 * 256;
// Rows gone through for one rectangle at most: the noise of a block spans a row or two.
constexpr int kMostRows = 16;
// A bilinear lookup weighs its texels by products whose rounded sum lies within a few units of the
// last place of 1, so its red lies within this share of the reds it weighs.
constexpr float kWeighing = 1.0f / (1 << 18);

float Red(int byte) { return static_cast<float>(byte) * (1.f / 255.f); }
}  // namespace

RedExtremes RedExtremes::Of(IDirect3DBaseTexture9* texture) {
  RedExtremes extremes;
  if (!texture || texture->GetType() != D3DRTYPE_TEXTURE) return extremes;
  auto* flat = static_cast<IDirect3DTexture9*>(texture);
  D3DSURFACE_DESC desc{};
  if (FAILED(flat->GetLevelDesc(0, &desc))) return extremes;
  if ((desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) || desc.Width < 1 || desc.Height < 1 ||
      uint64_t{desc.Width} * desc.Height > kLargest)
    return extremes;
  D3DLOCKED_RECT locked{};
  if (FAILED(flat->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return extremes;
  const size_t width = desc.Width;
  const size_t height = desc.Height;
  const int levels = std::bit_width(desc.Width);
  extremes.lowest_.resize(static_cast<size_t>(levels) * height * width);
  extremes.highest_.resize(extremes.lowest_.size());
  // Texels are stored b, g, r, a.
  for (size_t y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(locked.pBits) + y * static_cast<size_t>(locked.Pitch);
    for (size_t x = 0; x < width; ++x) extremes.lowest_[y * width + x] = extremes.highest_[y * width + x] = row[x * 4 + 2];
  }
  flat->UnlockRect(0);
  for (size_t k = 1; k < static_cast<size_t>(levels); ++k) {
    const size_t half = size_t{1} << (k - 1);
    for (size_t y = 0; y < height; ++y) {
      const size_t at = (k * height + y) * width;
      const size_t below = ((k - 1) * height + y) * width;
      for (size_t x = 0; x + 2 * half <= width; ++x) {
        extremes.lowest_[at + x] = std::min(extremes.lowest_[below + x], extremes.lowest_[below + x + half]);
        extremes.highest_[at + x] = std::max(extremes.highest_[below + x], extremes.highest_[below + x + half]);
      }
    }
  }
  extremes.width_ = static_cast<int>(width);
  extremes.height_ = static_cast<int>(height);
  return extremes;
}

bool RedExtremes::Reds(float uLow, float uHigh, float vLow, float vHigh, const d3d9::TextureView& stage, float& low,
                       float& high) const {
  if (lowest_.empty() || stage.width != width_ || stage.height != height_) return false;
  texel_runs::Reach across;
  texel_runs::Reach down;
  if (!texel_runs::Footprint(uLow, uHigh, width_, stage.addressU, across) ||
      !texel_runs::Footprint(vLow, vHigh, height_, stage.addressV, down))
    return false;
  int rows = 0;
  for (int j = 0; j < down.runs; ++j) rows += down.last[j] - down.first[j] + 1;
  if (rows > kMostRows) return false;
  float lowest = 1.0f;
  float highest = 0.0f;
  if (across.border || down.border) {
    const float border = stage.border.r;
    if (!(border >= 0.0f && border <= 1.0f)) return false;
    lowest = std::min(lowest, border);
    highest = std::max(highest, border);
  }
  const size_t width = static_cast<size_t>(width_);
  const size_t height = static_cast<size_t>(height_);
  int byteLow = 255;
  int byteHigh = 0;
  for (int i = 0; i < across.runs; ++i) {
    const int length = across.last[i] - across.first[i] + 1;
    const size_t k = static_cast<size_t>(std::bit_width(static_cast<unsigned>(length)) - 1);
    const size_t left = static_cast<size_t>(across.first[i]);
    const size_t right = static_cast<size_t>(across.last[i] + 1) - (size_t{1} << k);
    for (int j = 0; j < down.runs; ++j) {
      for (int y = down.first[j]; y <= down.last[j]; ++y) {
        const size_t at = (k * height + static_cast<size_t>(y)) * width;
        byteLow = std::min({byteLow, int{lowest_[at + left]}, int{lowest_[at + right]}});
        byteHigh = std::max({byteHigh, int{highest_[at + left]}, int{highest_[at + right]}});
      }
    }
  }
  if (across.runs > 0 && down.runs > 0) {
    lowest = std::min(lowest, Red(byteLow));
    highest = std::max(highest, Red(byteHigh));
  }
  low = lowest * (1.0f - kWeighing);
  high = highest * (1.0f + kWeighing);
  return true;
}
