#include "objects/centre_brush_programs.h"

#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::MaskWeights;
using effect_values::Saturate;
using effect_values::Select;
using effect_values::SinLanes;
using effect_values::WrapLane;

namespace {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

}  // namespace

d3d9::PixelProgram RadialExpandProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> amplitude = Floats(values, "amplitude", 2);
  const std::vector<float> center = Floats(values, "center", 2);
  const bool masked = HasTexture(values, "Mask");
  const float spread = amplitude[0] - amplitude[1];
  const float cu = center[0], cv = center[1];
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float weight[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, weight);
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      const float grow = spread * weight[i];
      // A picture grown by 1 + g shows at uv what lies (uv - c) / (1 + g) from the centre.
      const float k = Select(1.0f + grow > 0.0f, 1.0f / (1.0f + grow), 1.0f);
      u[i] = Saturate(cu + (in.u[0][i] - cu) * k);
      v[i] = Saturate(cv + (in.v[0][i] - cv) * k);
    }
    sampler.Sample(kBackgroundStage, u, v, out);
  };
}

d3d9::PixelProgram RadialWavesProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "bg_scale_factor", 2);
  // The brush's zoom spaces the rings: "Scale" is (aspect, 1) divided by the zoom.
  const float zoom = Floats(values, "Scale", 2)[1];
  const std::vector<float> center = Floats(values, "center", 2);
  const float frequency = Floats(values, "frequency", 1)[0];
  const float amplitude = Floats(values, "amplitude", 1)[0];
  const float time = Floats(values, "time", 1)[0];
  const bool masked = HasTexture(values, "Mask");
  const float su = scale[0], sv = scale[1], cu = center[0], cv = center[1];
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float dx[kLanes];
    float dy[kLanes];
    float r[kLanes];
    float length[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      dx[i] = in.u[0][i] - cu;
      dy[i] = in.v[0][i] - cv;
      r[i] = dx[i] * su * dx[i] * su + dy[i] * sv * dy[i] * sv;
      length[i] = dx[i] * dx[i] + dy[i] * dy[i];
    }
    for (int i = 0; i < kLanes; ++i) {
      r[i] = std::sqrt(r[i]);
      length[i] = std::sqrt(length[i]);
    }
    // A crest lies where r x frequency - time is constant: as "time" grows it lies further out, so a
    // rising time runs the rings outward and a falling one runs them in.
    float phase[kLanes];
    for (int i = 0; i < kLanes; ++i) phase[i] = r[i] * zoom * frequency - time;
    float wave[kLanes];
    SinLanes(phase, in.count, wave);
    float weight[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, weight);
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      const float d = amplitude * wave[i] * weight[i] / length[i];
      // The centre itself has no direction to move in.
      const bool centre = length[i] <= 0.0f;
      u[i] = Select(centre, in.u[0][i], Saturate(in.u[0][i] + dx[i] * d));
      v[i] = Select(centre, in.v[0][i], Saturate(in.v[0][i] + dy[i] * d));
    }
    sampler.Sample(kBackgroundStage, u, v, out);
  };
}

d3d9::PixelProgram TurnedBackgroundProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> m = Floats(values, "coord_transf", 4);
  const std::vector<float> offset = Floats(values, "offset", 2);
  const bool masked = HasTexture(values, "Mask");
  const float m0 = m[0], m1 = m[1], m2 = m[2], m3 = m[3], ou = offset[0], ov = offset[1];
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float weight[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, weight);
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      const float pu = in.u[0][i], pv = in.v[0][i];
      const float px = pu + ou;
      const float py = pv + ov;
      const float tu = px * m0 + py * m2 - ou;
      const float tv = px * m1 + py * m3 - ov;
      u[i] = WrapLane(pu + (tu - pu) * weight[i]);
      v[i] = WrapLane(pv + (tv - pv) * weight[i]);
    }
    sampler.Sample(kBackgroundStage, u, v, out);
  };
}
