#include "objects/pattern_brush_wide.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/pattern_brush_wide.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace pattern_wide {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using DF = hn::ScalableTag<float>;
using VF = hn::Vec<DF>;

// The same operations, in the same order, as the per-lane helpers: Wrap is x less its floor, and 0
// where that rounds up to 1 or x is not finite.
HWY_INLINE VF Wrap(DF df, VF x) {
  const VF f = hn::Sub(x, hn::Floor(x));
  return hn::IfThenElseZero(hn::And(hn::IsFinite(x), hn::Lt(f, hn::Set(df, 1.0f))), f);
}

// Held to 0..1; not-a-number gives 0.
HWY_INLINE VF Saturate(DF df, VF x) {
  const VF one = hn::Set(df, 1.0f);
  return hn::IfThenElseZero(hn::Gt(x, hn::Zero(df)), hn::IfThenElse(hn::Lt(one, x), one, x));
}

void PatternLookupsOn(const PatternPlacement& place, const d3d9::PixelBlock& in, float* tu, float* tv) {
  const DF df;
  const VF w = hn::Set(df, place.width), h = hn::Set(df, place.height);
  const VF m0 = hn::Set(df, place.m0), m1 = hn::Set(df, place.m1), m2 = hn::Set(df, place.m2), m3 = hn::Set(df, place.m3);
  const VF ou = hn::Set(df, place.offsetU), ov = hn::Set(df, place.offsetV);
  for (size_t i = 0; i < d3d9::kBlockPixels; i += hn::Lanes(df)) {
    const VF x = hn::Mul(hn::Load(df, in.u[0] + i), w);
    const VF y = hn::Mul(hn::Load(df, in.v[0] + i), h);
    hn::Store(Wrap(df, hn::Add(hn::Div(hn::Add(hn::Mul(x, m0), hn::Mul(y, m2)), w), ou)), df, tu + i);
    hn::Store(Wrap(df, hn::Add(hn::Div(hn::Add(hn::Mul(x, m1), hn::Mul(y, m3)), h), ov)), df, tv + i);
  }
}

void PatternOverOn(const d3d9::ColorBlock& pattern, float* weight, d3d9::ColorBlock& out) {
  const DF df;
  for (size_t i = 0; i < d3d9::kBlockPixels; i += hn::Lanes(df)) {
    const VF cover = hn::Mul(Saturate(df, hn::Load(df, pattern.a + i)), hn::LoadU(df, weight + i));
    hn::StoreU(cover, df, weight + i);
    const float* from[3] = {pattern.r, pattern.g, pattern.b};
    float* to[3] = {out.r, out.g, out.b};
    for (int k = 0; k < 3; ++k) {
      const VF under = hn::Load(df, to[k] + i);
      hn::Store(hn::Add(under, hn::Mul(hn::Sub(hn::Load(df, from[k] + i), under), cover)), df, to[k] + i);
    }
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace pattern_wide
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace pattern_wide {
HWY_EXPORT(PatternLookupsOn);
HWY_EXPORT(PatternOverOn);
}  // namespace pattern_wide

void PatternLookups(const PatternPlacement& place, const d3d9::PixelBlock& in, float* tu, float* tv) {
  HWY_DYNAMIC_DISPATCH(pattern_wide::PatternLookupsOn)(place, in, tu, tv);
}

void PatternOver(const d3d9::ColorBlock& pattern, float* weight, d3d9::ColorBlock& out) {
  HWY_DYNAMIC_DISPATCH(pattern_wide::PatternOverOn)(pattern, weight, out);
}
#endif
