#include "objects/centre_brush_programs.h"

#include <cmath>

#include "objects/effect_program_values.h"

// Each program's block is compiled once per instruction set below (its loops then run on the
// widest registers the machine has); what the blocks read is declared once, here.
#ifndef OBJECTS_CENTRE_BRUSH_PROGRAMS_ONCE
#define OBJECTS_CENTRE_BRUSH_PROGRAMS_ONCE
namespace centre_programs {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

struct Expand {
  float spread;
  float cu, cv;  // the centre
  bool masked;
};

struct Waves {
  float su, sv;  // the background's scale
  float cu, cv;  // the centre
  float zoom;
  float frequency;
  float amplitude;
  float time;
  bool masked;
};

struct Turn {
  float m0, m1, m2, m3;
  float ou, ov;  // the offset
  bool masked;
};

}  // namespace centre_programs
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/centre_brush_programs.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace centre_programs {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;
using effect_values::MaskHidesBlock;
using effect_values::MaskWeights;
using effect_values::Saturate;
using effect_values::Select;
using effect_values::SinLanes;
using effect_values::WrapLane;

// std::sqrt of every lane of a block, in place. The square-root instruction gives the same floats;
// the compiler keeps std::sqrt a call per lane, for the error it reports on a negative argument.
HWY_INLINE void SqrtLanes(float* x) {
  const hn::ScalableTag<float> df;
  for (size_t i = 0; i < kLanes; i += hn::Lanes(df)) hn::Store(hn::Sqrt(hn::Load(df, x + i)), df, x + i);
}

void ExpandBlock(const Expand& e, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                 d3d9::ColorBlock& out) {
  float weight[kLanes];
  MaskWeights(e.masked, kMaskStage, in, sampler, weight);
  float u[kLanes];
  float v[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    const float grow = e.spread * weight[i];
    // A picture grown by 1 + g shows at uv what lies (uv - c) / (1 + g) from the centre.
    const float k = Select(1.0f + grow > 0.0f, 1.0f / (1.0f + grow), 1.0f);
    u[i] = Saturate(e.cu + (in.u[0][i] - e.cu) * k);
    v[i] = Saturate(e.cv + (in.v[0][i] - e.cv) * k);
  }
  sampler.Sample(kBackgroundStage, u, v, out);
}

void WavesBlock(const Waves& w, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                d3d9::ColorBlock& out) {
  float weight[kLanes];
  MaskWeights(w.masked, kMaskStage, in, sampler, weight);
  float u[kLanes];
  float v[kLanes];
  // Where the mask hides the whole block every push below is 0: the picture shows unmoved.
  if (MaskHidesBlock(w.masked, weight, in.count)) {
    for (int i = 0; i < kLanes; ++i) {
      const float x = in.u[0][i] - w.cu;
      const float y = in.v[0][i] - w.cv;
      const bool centre = x * x + y * y <= 0.0f;
      u[i] = Select(centre, in.u[0][i], Saturate(in.u[0][i]));
      v[i] = Select(centre, in.v[0][i], Saturate(in.v[0][i]));
    }
    sampler.Sample(kBackgroundStage, u, v, out);
    return;
  }
  float dx[kLanes];
  float dy[kLanes];
  alignas(64) float r[kLanes];
  alignas(64) float length[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    dx[i] = in.u[0][i] - w.cu;
    dy[i] = in.v[0][i] - w.cv;
    r[i] = dx[i] * w.su * dx[i] * w.su + dy[i] * w.sv * dy[i] * w.sv;
    length[i] = dx[i] * dx[i] + dy[i] * dy[i];
  }
  SqrtLanes(r);
  SqrtLanes(length);
  // A crest lies where r x frequency - time is constant: as "time" grows it lies further out, so a
  // rising time runs the rings outward and a falling one runs them in. Each ring is a crest where
  // the sine of that phase is -1, with calm water between the rings (the cube of the lobe), as
  // rings run out from a stone dropped in water; a rising time starts one at the centre when it
  // passes a quarter turn.
  float phase[kLanes];
  for (int i = 0; i < kLanes; ++i) phase[i] = r[i] * w.zoom * w.frequency - w.time;
  float wave[kLanes];
  SinLanes(phase, in.count, wave);
  for (int i = 0; i < kLanes; ++i) {
    const float lobe = Select(wave[i] < 0.0f, -wave[i], 0.0f);
    wave[i] = lobe * lobe * lobe;
  }
  for (int i = 0; i < kLanes; ++i) {
    const float d = w.amplitude * wave[i] * weight[i] / length[i];
    // The centre itself has no direction to move in.
    const bool centre = length[i] <= 0.0f;
    u[i] = Select(centre, in.u[0][i], Saturate(in.u[0][i] + dx[i] * d));
    v[i] = Select(centre, in.v[0][i], Saturate(in.v[0][i] + dy[i] * d));
  }
  sampler.Sample(kBackgroundStage, u, v, out);
}

void TurnBlock(const Turn& t, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
               d3d9::ColorBlock& out) {
  float weight[kLanes];
  MaskWeights(t.masked, kMaskStage, in, sampler, weight);
  float u[kLanes];
  float v[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    const float pu = in.u[0][i], pv = in.v[0][i];
    const float px = pu + t.ou;
    const float py = pv + t.ov;
    const float tu = px * t.m0 + py * t.m2 - t.ou;
    const float tv = px * t.m1 + py * t.m3 - t.ov;
    u[i] = WrapLane(pu + (tu - pu) * weight[i]);
    v[i] = WrapLane(pv + (tv - pv) * weight[i]);
  }
  sampler.Sample(kBackgroundStage, u, v, out);
}

}  // namespace HWY_NAMESPACE
}  // namespace centre_programs
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace centre_programs {
HWY_EXPORT(ExpandBlock);
HWY_EXPORT(WavesBlock);
HWY_EXPORT(TurnBlock);
}  // namespace centre_programs

using effect_values::Floats;
using effect_values::HasTexture;

d3d9::PixelProgram RadialExpandProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> amplitude = Floats(values, "amplitude", 2);
  const std::vector<float> center = Floats(values, "center", 2);
  const centre_programs::Expand expand{amplitude[0] - amplitude[1], center[0], center[1], HasTexture(values, "Mask")};
  return [expand](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(centre_programs::ExpandBlock)(expand, in, sampler, out);
  };
}

d3d9::PixelProgram RadialWavesProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "bg_scale_factor", 2);
  // The brush's zoom spaces the rings: "Scale" is (aspect, 1) divided by the zoom.
  const float zoom = Floats(values, "Scale", 2)[1];
  const std::vector<float> center = Floats(values, "center", 2);
  const centre_programs::Waves waves{scale[0],
                                     scale[1],
                                     center[0],
                                     center[1],
                                     zoom,
                                     Floats(values, "frequency", 1)[0],
                                     Floats(values, "amplitude", 1)[0],
                                     Floats(values, "time", 1)[0],
                                     HasTexture(values, "Mask")};
  return [waves](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(centre_programs::WavesBlock)(waves, in, sampler, out);
  };
}

d3d9::PixelProgram TurnedBackgroundProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> m = Floats(values, "coord_transf", 4);
  const std::vector<float> offset = Floats(values, "offset", 2);
  const centre_programs::Turn turn{m[0], m[1], m[2], m[3], offset[0], offset[1], HasTexture(values, "Mask")};
  return [turn](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(centre_programs::TurnBlock)(turn, in, sampler, out);
  };
}
#endif  // HWY_ONCE
