// Reading an effect pass's bound parameter values inside a native pixel program, and the small
// arithmetic the screen brushes' programs share.
#pragma once
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3d9/texture_view.h"
#include "platform/d3dx9/effect.h"

namespace effect_values {

// The parameter's floats padded or cut to `count`; zeros when the effect does not declare it.
std::vector<float> Floats(const std::vector<d3dx9::EffectValue>& values, const std::string& name, size_t count);
// True when the effect declares the texture parameter and a texture is bound to it.
bool HasTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name);

// True when the bound texture holds signed offsets (V8U8 or V16U16): a bump map stored signed reads
// its offsets directly, one stored unsigned has its mid-grey as no offset.
bool SignedTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name);
// The offset a bump texel's channel stands for, from -1 to 1, in every lane of a block's channel.
inline void BumpOffsetLanes(const float* channel, bool isSigned, float* out) {
  if (isSigned) {
    for (int i = 0; i < d3d9::kBlockPixels; ++i) out[i] = channel[i];
  } else {
    for (int i = 0; i < d3d9::kBlockPixels; ++i) out[i] = 2.0f * channel[i] - 1.0f;
  }
}

// The helpers below run several times for every pixel a program draws: they are inline, and free
// of calls and branches the compiler cannot turn into selects, so that a program's loops over a
// block vectorise.

// The fractional part, in 0..1: a repeating lookup. A coordinate that is not finite (an infinite
// tile count) reads the start of the picture instead of an undefined place.
inline float Wrap(float x) {
  if (!std::isfinite(x)) return 0.0f;
  const float f = x - d3d9::Floor(x);
  // A tiny negative x rounds to exactly 1 above; that is the start of the next repeat.
  return f < 1.0f ? f : 0.0f;
}
// A mirrored repeat, in 0..1: 1.25 reads 0.75, as a sampler in mirror mode reads a picture's copies.
// A coordinate that is not finite reads the start of the picture.
inline float Mirror(float x) {
  if (!std::isfinite(x)) return 0.0f;
  const float period = x - 2.0f * d3d9::Floor(x * 0.5f);  // 0..2
  return period <= 1.0f ? period : 2.0f - period;
}
// Held to 0..1; not-a-number gives 0.
inline float Saturate(float x) { return x > 0.0f ? std::min(x, 1.0f) : 0.0f; }
// a + (b - a) x t for every channel of lane i of two blocks, into lane i of `out` (which may be
// either of them).
inline void LerpLane(const d3d9::ColorBlock& a, const d3d9::ColorBlock& b, float t, int i, d3d9::ColorBlock& out) {
  out.r[i] = a.r[i] + (b.r[i] - a.r[i]) * t;
  out.g[i] = a.g[i] + (b.g[i] - a.g[i]) * t;
  out.b[i] = a.b[i] + (b.b[i] - a.b[i]) * t;
  out.a[i] = a.a[i] + (b.a[i] - a.a[i]) * t;
}

// The same results as Floor, Wrap and Mirror, for the loops over a block. A select between two
// values already computed becomes a blend, but where work is needed on one side only, the compiler
// moves it under a branch, and a loop with a branch in it does not vectorise: these compute every
// side and blend the bits.

// cond ? a : b, with both computed.
inline float Select(bool cond, float a, float b) {
  const uint32_t mask = 0u - static_cast<uint32_t>(cond);
  return std::bit_cast<float>((std::bit_cast<uint32_t>(a) & mask) | (std::bit_cast<uint32_t>(b) & ~mask));
}
// d3d9::Floor: x rounded to a whole number by adding and taking away 2^23 (exact below 2^23), then
// one less where that rounded up. Zero, whole floats from 2^23 on, infinities and NaN stay as they are.
inline float FloorLane(float x) {
  constexpr float kWhole = 8388608.0f;
  const float rounded = std::copysign((std::fabs(x) + kWhole) - kWhole, x);
  // Adding -1 or 0, not choosing between rounded - 1 and rounded, so that no work lies on one side.
  const float below = rounded + static_cast<float>(-static_cast<int>(rounded > x));
  return Select((x != 0.0f) & (std::fabs(x) < kWhole), below, x);
}
// Saturate, for a result that is worked on further: of Saturate's own selects the compiler may
// compute what follows once more for the 0 side alone, under a branch.
inline float SaturateLane(float x) { return Select(x > 0.0f, Select(1.0f < x, 1.0f, x), 0.0f); }
// Wrap.
inline float WrapLane(float x) {
  const float f = x - FloorLane(x);
  return Select(std::isfinite(x) & (f < 1.0f), f, 0.0f);
}
// Mirror.
inline float MirrorLane(float x) {
  const float period = x - 2.0f * FloorLane(x * 0.5f);
  return Select(std::isfinite(x), Select(period <= 1.0f, period, 2.0f - period), 0.0f);
}

// std::sin of lanes 0 .. count - 1 of `x` into `out`, and 0 into the lanes after them (their results
// are thrown away, and sin is the dearest call a program makes). A run of lanes with the very same
// argument, as along a row where the argument does not change, takes one call.
inline void SinLanes(const float* x, int count, float* out) {
  uint32_t last = 0;
  float value = 0.0f;
  for (int i = 0; i < count; ++i) {
    const uint32_t bits = std::bit_cast<uint32_t>(x[i]);
    if (i == 0 || bits != last) value = std::sin(x[i]);
    last = bits;
    out[i] = value;
  }
  std::fill(out + count, out + d3d9::kBlockPixels, 0.0f);
}

// SinLanes, remembering the sine last worked out for each column of the target: a wave whose
// argument follows u alone gives every row of a screen quad the very same arguments, so the rows
// below reuse the sines of the rows above instead of calling sin again; one whose argument follows
// v alone still takes one call for a run of a row. A lane whose argument differs in any bit from
// the remembered one is worked out afresh. Programs run on several threads at once, so a call site
// keeps one of these per thread (thread_local).
class ColumnSines {
 public:
  void Lanes(const d3d9::PixelBlock& in, const float* x, float* out) {
    if (in.x < 0 || in.x > kColumns - d3d9::kBlockPixels) {
      SinLanes(x, in.count, out);
      return;
    }
    // Taken when first needed: every thread of the process would otherwise carry the columns of
    // every call site and instruction set, used or not.
    if (arguments_.empty()) {
      arguments_.assign(kColumns, 0);
      sines_.assign(kColumns, 0.0f);
    }
    uint32_t* arguments = arguments_.data() + in.x;
    float* sines = sines_.data() + in.x;
    for (int i = 0; i < in.count; ++i) {
      const uint32_t bits = std::bit_cast<uint32_t>(x[i]);
      if (bits != arguments[i]) {
        // A run along the row with the very same argument, as where the argument follows v alone,
        // takes the sine of the lane before.
        const bool asBefore = i > 0 && bits == arguments[i - 1];
        sines[i] = asBefore ? sines[i - 1] : std::sin(x[i]);
        arguments[i] = bits;
      }
      out[i] = sines[i];
    }
    std::fill(out + std::max(in.count, 0), out + d3d9::kBlockPixels, 0.0f);
  }

 private:
  // Rows up to 4096 pixels; blocks further right are worked out every time.
  static constexpr int kColumns = 4096;
  // Every column starts out knowing that the sine of +0 is +0.
  std::vector<uint32_t> arguments_;
  std::vector<float> sines_;
};

// How much of a screen brush's reworked picture shows in each lane: the red of the mask bound to
// `stage`, read at stage 0's coordinates and held to 0..1; all of it (1) where no mask is bound (the
// unbound stage would read black and hide the effect everywhere).
inline void MaskWeights(bool masked, DWORD stage, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                        float* weight) {
  if (!masked) {
    std::fill(weight, weight + d3d9::kBlockPixels, 1.0f);
    return;
  }
  sampler.SampleRed(stage, in.u[0], in.v[0], weight);
  for (int i = 0; i < d3d9::kBlockPixels; ++i) weight[i] = Saturate(weight[i]);
}

// Whether a bound mask hides every covered pixel of a block (weight 0 from MaskWeights): there a
// brush shows the background unmoved, and the work of its effect can be left undone.
inline bool MaskHidesBlock(bool masked, const float* weight, int count) {
  if (!masked) return false;
  for (int i = 0; i < count; ++i)
    if (weight[i] != 0.0f) return false;
  return true;
}

}  // namespace effect_values
