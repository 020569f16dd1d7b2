#include "objects/screen_brush_programs.h"

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::MaskWeights;
using effect_values::MirrorLane;
using effect_values::Saturate;
using effect_values::Select;
using effect_values::SinLanes;

namespace {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

}  // namespace

d3d9::PixelProgram BackgroundCopyProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> offset = Floats(values, "offset", 2);
  const bool masked = HasTexture(values, "Mask");
  const float ox = offset[0], oy = offset[1];
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    // The layer's picture repeats mirrored: an offset past a whole picture shows the mirrored copy.
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      u[i] = MirrorLane(in.u[0][i] - ox);
      v[i] = MirrorLane(in.v[0][i] - oy);
    }
    sampler.Sample(kBackgroundStage, u, v, out);
    if (!masked) return;
    float weight[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, weight);
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
  };
}

d3d9::PixelProgram LightPulseProgram(const std::vector<d3dx9::EffectValue>& values) {
  const float multiplier = Floats(values, "multiplier", 1)[0];
  const bool masked = HasTexture(values, "Mask");
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float gain[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, gain);
    for (int i = 0; i < kLanes; ++i) gain[i] = 1.0f + multiplier * gain[i];
    sampler.Sample(kBackgroundStage, in.u[0], in.v[0], out);
    for (int i = 0; i < kLanes; ++i) {
      out.r[i] = Saturate(out.r[i] * gain[i]);
      out.g[i] = Saturate(out.g[i] * gain[i]);
      out.b[i] = Saturate(out.b[i] * gain[i]);
    }
  };
}

d3d9::PixelProgram StraightWavesProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "Scale", 2);
  const std::vector<float> direction = Floats(values, "direction", 2);
  const std::vector<float> normal = Floats(values, "direction_n", 2);
  const float frequency = Floats(values, "frequency", 1)[0];
  const float amplitude = Floats(values, "amplitude", 1)[0];
  const float time = Floats(values, "time", 1)[0];
  const bool masked = HasTexture(values, "Mask");
  const float su = scale[0], sv = scale[1], du = direction[0], dv = direction[1], nu = normal[0], nv = normal[1];
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float phase[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      const float along = in.u[0][i] * su * du + in.v[0][i] * sv * dv;
      phase[i] = along * frequency + time;
    }
    // Wave fronts across the screen's rows or columns keep one phase along a row: one sin serves it.
    float wave[kLanes];
    thread_local effect_values::ColumnSines columnSines;
    columnSines.Lanes(in, phase, wave);
    float weight[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, weight);
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      const float d = amplitude * wave[i] * weight[i];
      // Held inside the picture: a wave at an edge repeats the edge rather than the far side.
      u[i] = Saturate(in.u[0][i] + nu * d);
      v[i] = Saturate(in.v[0][i] + nv * d);
    }
    sampler.Sample(kBackgroundStage, u, v, out);
  };
}
