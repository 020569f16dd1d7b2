#include "objects/blank_texels.h"

#include <algorithm>
#include <cmath>

namespace {
// 256 x 256 texels take a few tens of microseconds to go through; the shapes that gain are smaller.
constexpr uint64_t kLargest = 256 * 256;

int Modulo(int i, int n) {
  const int m = i % n;
  return m < 0 ? m + n : m;
}

// True when some index of first .. last leaves `remainder` divided by `period`.
bool Passes(int first, int last, int remainder, int period) {
  return first + Modulo(remainder - first, period) <= last;
}

// The texels along a row or column of n that indices first .. last read once the address mode has
// placed them, as d3d9::Address does: at most two runs, and whether the border colour is read.
struct Reach {
  int runs = 0;
  int first[2] = {0, 0};
  int last[2] = {0, 0};
  bool border = false;

  void Add(int from, int to) {
    first[runs] = from;
    last[runs] = to;
    ++runs;
  }
};

Reach Addressed(int first, int last, int n, DWORD mode) {
  Reach reach;
  if (first >= 0 && last < n) {
    reach.Add(first, last);
    return reach;
  }
  switch (mode) {
    case D3DTADDRESS_CLAMP:
      reach.Add(std::clamp(first, 0, n - 1), std::clamp(last, 0, n - 1));
      break;
    case D3DTADDRESS_BORDER:
      reach.border = true;
      if (first < n && last >= 0) reach.Add(std::max(first, 0), std::min(last, n - 1));
      break;
    case D3DTADDRESS_MIRROR: {
      // Neighbouring indices mirror to neighbouring or equal texels, so the run's images are one
      // run: between its ends' images, down to 0 where it passes an index that mirrors to 0 and up
      // to n - 1 where it passes one that mirrors to n - 1.
      auto mirrored = [n](int i) {
        const int m = Modulo(i, 2 * n);
        return m < n ? m : 2 * n - 1 - m;
      };
      const int a = mirrored(first);
      const int b = mirrored(last);
      reach.Add(Passes(first, last, 0, 2 * n) ? 0 : std::min(a, b),
                Passes(first, last, n - 1, 2 * n) ? n - 1 : std::max(a, b));
      break;
    }
    default: {
      // Repeats, as the sampler does for every mode it does not know.
      if (last - first >= n - 1) {
        reach.Add(0, n - 1);
        break;
      }
      const int a = Modulo(first, n);
      const int b = Modulo(last, n);
      if (a <= b) {
        reach.Add(a, b);
      } else {
        reach.Add(a, n - 1);
        reach.Add(0, b);
      }
    }
  }
  return reach;
}

// Where a lookup scales a coordinate by the size: held within the same limits as the sampler holds
// it. Both the product and the holding keep the coordinates' order.
float Scaled(float u, int n) {
  constexpr float kLimit = 1 << 20;
  const float x = u * static_cast<float>(n);
  return x < -kLimit ? -kLimit : (x > kLimit ? kLimit : x);
}
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
  // Every lookup's scaled coordinate lies between these. A bilinear lookup reads the texel below
  // its scaled coordinate less a half and the next; a point lookup the one below: all within one
  // texel of the floor of the scaled coordinate.
  const float xLow = Scaled(uLow, width_);
  const float xHigh = Scaled(uHigh, width_);
  const float yLow = Scaled(vLow, height_);
  const float yHigh = Scaled(vHigh, height_);
  if (!(xLow <= xHigh && yLow <= yHigh)) return false;
  const Reach across = Addressed(static_cast<int>(std::floor(xLow)) - 1, static_cast<int>(std::floor(xHigh)) + 1,
                                 width_, stage.addressU);
  const Reach down = Addressed(static_cast<int>(std::floor(yLow)) - 1, static_cast<int>(std::floor(yHigh)) + 1,
                               height_, stage.addressV);
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
