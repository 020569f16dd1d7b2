#include "objects/heat_distortion_program.h"

#include "objects/effect_program_values.h"

using effect_values::BumpOffsetLanes;
using effect_values::Floats;

namespace {
constexpr DWORD kSceneStage = 0;
constexpr DWORD kBumpStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;
}  // namespace

d3d9::PixelProgram HeatDistortionProgram(const std::vector<d3dx9::EffectValue>& values) {
  const float strength = Floats(values, "stenght", 1)[0];
  const std::vector<float> offset = Floats(values, "Offset", 2);
  const std::vector<float> scale = Floats(values, "bump_scale", 2);
  const float ox = offset[0], oy = offset[1], sx = scale[0], sy = scale[1];
  const bool isSigned = effect_values::SignedTexture(values, "Bumpmap");
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      u[i] = in.u[0][i] * sx + ox;
      v[i] = in.v[0][i] * sy + oy;
    }
    d3d9::ColorBlock bump;
    sampler.Sample(kBumpStage, u, v, bump);
    float pushU[kLanes];
    float pushV[kLanes];
    BumpOffsetLanes(bump.r, isSigned, pushU);
    BumpOffsetLanes(bump.g, isSigned, pushV);
    for (int i = 0; i < kLanes; ++i) {
      u[i] = in.u[0][i] + pushU[i] * strength;
      v[i] = in.v[0][i] + pushV[i] * strength;
    }
    sampler.Sample(kSceneStage, u, v, out);
    for (int i = 0; i < kLanes; ++i) out.a[i] = 1.0f;
  };
}
