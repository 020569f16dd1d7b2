// Which texels the lookups of a stage over a range of coordinates read, once its address mode has
// placed the indices that leave the texture: for programs that tell from a texture read once what
// a whole block of lookups can see.
#pragma once
#include <algorithm>

#include <d3d9.h>

#include "platform/d3d9/texture_view.h"

namespace texel_runs {

// Texels along a row or column: at most two runs (first .. last, both included), and whether the
// border colour is read.
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

inline int Modulo(int i, int n) {
  // Most textures are a power of two wide: the remainder is then a mask.
  if ((n & (n - 1)) == 0) return i & (n - 1);
  const int m = i % n;
  return m < 0 ? m + n : m;
}

// True when some index of first .. last leaves `remainder` divided by `period`.
inline bool Passes(int first, int last, int remainder, int period) {
  return first + Modulo(remainder - first, period) <= last;
}

// The texels of a row or column of n that indices first .. last read, placed as d3d9::Address
// places them.
inline Reach Addressed(int first, int last, int n, DWORD mode) {
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
inline float Scaled(float u, int n) {
  constexpr float kLimit = 1 << 20;
  const float x = u * static_cast<float>(n);
  return x < -kLimit ? -kLimit : (x > kLimit ? kLimit : x);
}

// The texels of a row or column of n that point or bilinear lookups at any coordinate of low ..
// high read through `mode`; false for not-a-number or low above high. Every lookup's scaled
// coordinate lies between the scaled ends; a bilinear lookup reads the texel below its scaled
// coordinate less a half and the next, a point lookup the one below: all within one texel of the
// floor of the scaled coordinate.
inline bool Footprint(float low, float high, int n, DWORD mode, Reach& reach) {
  const float from = Scaled(low, n);
  const float to = Scaled(high, n);
  if (!(from <= to)) return false;
  reach = Addressed(static_cast<int>(d3d9::Floor(from)) - 1, static_cast<int>(d3d9::Floor(to)) + 1, n, mode);
  return true;
}

}  // namespace texel_runs
