#include "objects/screen_brush_programs.h"

#include "objects/effect_program_values.h"

// Each program's block is compiled once per instruction set below (its loops then run on the
// widest registers the machine has); what the blocks read is declared once, here.
#ifndef OBJECTS_SCREEN_BRUSH_PROGRAMS_ONCE
#define OBJECTS_SCREEN_BRUSH_PROGRAMS_ONCE
namespace screen_programs {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

struct Copy {
  float ox, oy;  // the offset
  bool masked;
};

struct Pulse {
  float multiplier;
  bool masked;
};

struct Waves {
  float su, sv;  // the picture's scale
  float du, dv;  // the direction the waves run
  float nu, nv;  // the direction they push
  float frequency;
  float amplitude;
  float time;
  bool masked;
};

}  // namespace screen_programs
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/screen_brush_programs.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace screen_programs {
namespace HWY_NAMESPACE {

using effect_values::MaskHidesBlock;
using effect_values::MaskWeights;
using effect_values::MirrorLane;
using effect_values::Saturate;
using effect_values::Select;

void CopyBlock(const Copy& c, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
               d3d9::ColorBlock& out) {
  // The layer's picture repeats mirrored: an offset past a whole picture shows the mirrored copy.
  float u[kLanes];
  float v[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    u[i] = MirrorLane(in.u[0][i] - c.ox);
    v[i] = MirrorLane(in.v[0][i] - c.oy);
  }
  sampler.Sample(kBackgroundStage, u, v, out);
  if (!c.masked) return;
  float weight[kLanes];
  MaskWeights(c.masked, kMaskStage, in, sampler, weight);
  int blended = 0;
  for (int i = 0; i < kLanes; ++i) blended += weight[i] < 1.0f;
  // Where the mask is full over the whole block the moved picture shows alone.
  if (blended == 0) return;
  d3d9::ColorBlock plain;
  sampler.Sample(kBackgroundStage, in.u[0], in.v[0], plain);
  auto blend = [&weight](const float* under, float* moved) {
    for (int i = 0; i < kLanes; ++i)
      moved[i] = Select(weight[i] >= 1.0f, moved[i], under[i] + (moved[i] - under[i]) * weight[i]);
  };
  blend(plain.r, out.r);
  blend(plain.g, out.g);
  blend(plain.b, out.b);
  blend(plain.a, out.a);
}

void PulseBlock(const Pulse& p, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                d3d9::ColorBlock& out) {
  float gain[kLanes];
  MaskWeights(p.masked, kMaskStage, in, sampler, gain);
  for (int i = 0; i < kLanes; ++i) gain[i] = 1.0f + p.multiplier * gain[i];
  sampler.Sample(kBackgroundStage, in.u[0], in.v[0], out);
  for (int i = 0; i < kLanes; ++i) {
    out.r[i] = Saturate(out.r[i] * gain[i]);
    out.g[i] = Saturate(out.g[i] * gain[i]);
    out.b[i] = Saturate(out.b[i] * gain[i]);
  }
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
      u[i] = Saturate(in.u[0][i]);
      v[i] = Saturate(in.v[0][i]);
    }
    sampler.Sample(kBackgroundStage, u, v, out);
    return;
  }
  float phase[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    const float along = in.u[0][i] * w.su * w.du + in.v[0][i] * w.sv * w.dv;
    phase[i] = along * w.frequency + w.time;
  }
  // Wave fronts across the screen's rows or columns keep one phase along a row or down a column:
  // one sin serves a run of a row, and the rows below reuse the sines of a column.
  float wave[kLanes];
  thread_local effect_values::ColumnSines columnSines;
  columnSines.Lanes(in, phase, wave);
  for (int i = 0; i < kLanes; ++i) {
    const float d = w.amplitude * wave[i] * weight[i];
    // Held inside the picture: a wave at an edge repeats the edge rather than the far side.
    u[i] = Saturate(in.u[0][i] + w.nu * d);
    v[i] = Saturate(in.v[0][i] + w.nv * d);
  }
  sampler.Sample(kBackgroundStage, u, v, out);
}

}  // namespace HWY_NAMESPACE
}  // namespace screen_programs
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace screen_programs {
HWY_EXPORT(CopyBlock);
HWY_EXPORT(PulseBlock);
HWY_EXPORT(WavesBlock);
}  // namespace screen_programs

using effect_values::Floats;
using effect_values::HasTexture;

d3d9::PixelProgram BackgroundCopyProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> offset = Floats(values, "offset", 2);
  const screen_programs::Copy copy{offset[0], offset[1], HasTexture(values, "Mask")};
  return [copy](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(screen_programs::CopyBlock)(copy, in, sampler, out);
  };
}

d3d9::PixelProgram LightPulseProgram(const std::vector<d3dx9::EffectValue>& values) {
  const screen_programs::Pulse pulse{Floats(values, "multiplier", 1)[0], HasTexture(values, "Mask")};
  return [pulse](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(screen_programs::PulseBlock)(pulse, in, sampler, out);
  };
}

d3d9::PixelProgram StraightWavesProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "Scale", 2);
  const std::vector<float> direction = Floats(values, "direction", 2);
  const std::vector<float> normal = Floats(values, "direction_n", 2);
  const screen_programs::Waves waves{scale[0],
                                     scale[1],
                                     direction[0],
                                     direction[1],
                                     normal[0],
                                     normal[1],
                                     Floats(values, "frequency", 1)[0],
                                     Floats(values, "amplitude", 1)[0],
                                     Floats(values, "time", 1)[0],
                                     HasTexture(values, "Mask")};
  return [waves](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(screen_programs::WavesBlock)(waves, in, sampler, out);
  };
}
#endif  // HWY_ONCE
