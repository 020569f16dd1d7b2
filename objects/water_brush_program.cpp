#include "objects/water_brush_program.h"

#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Lerp;
using effect_values::Saturate;
using effect_values::Wrap;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr DWORD kBumpStage = 2;
}  // namespace

d3d9::PixelProgram WaterSurfaceProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "Scale", 2);
  const std::vector<float> turn = Floats(values, "BampTrans", 4);
  const std::vector<float> wave1 = Floats(values, "Direction1", 2);
  const std::vector<float> wave2 = Floats(values, "Direction2", 2);
  const std::vector<float> half = Floats(values, "Vhalf", 3);
  const std::vector<float> tint = Floats(values, "Color", 3);
  const float time = Floats(values, "Time", 1)[0];
  const float shadows = Floats(values, "Shadows", 1)[0];
  const bool masked = HasTexture(values, "Mask");
  const bool bumped = HasTexture(values, "BumpMap");
  return [=](const d3d9::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float su = u * scale[0];
    const float sv = v * scale[1];
    float nx = 0.0f, ny = 0.0f;
    if (bumped) {
      const d3d9::Color b = sampler.Sample(kBumpStage, Wrap(su), Wrap(sv));
      nx = 2.0f * b.r - 1.0f;
      ny = 2.0f * b.g - 1.0f;
    }
    const float sx = turn[0] * nx + turn[1] * ny;
    const float sy = turn[2] * nx + turn[3] * ny;
    const float wave = std::sin(su * wave1[0] + sv * wave1[1] + time);
    const float weight = masked ? Saturate(sampler.Sample(kMaskStage, u, v).r) : 1.0f;
    const float du = (sx + wave2[0] * wave) * weight;
    const float dv = (sy + wave2[1] * wave) * weight;
    // Held inside the picture: a push at an edge repeats the edge rather than the far side.
    const d3d9::Color seen = sampler.Sample(kBackgroundStage, Saturate(u + du), Saturate(v + dv));
    // The surface normal of the slope, against the half vector: a slope facing away darkens.
    const float length = std::sqrt(sx * sx + sy * sy + 1.0f);
    const float facing = Saturate((-sx * half[0] - sy * half[1] + half[2]) / length);
    const float shade = 1.0f - Saturate(shadows) * (1.0f - facing);
    const d3d9::Color water{Saturate(seen.r * tint[0] * shade), Saturate(seen.g * tint[1] * shade),
                            Saturate(seen.b * tint[2] * shade), seen.a};
    if (weight >= 1.0f) return water;
    return Lerp(sampler.Sample(kBackgroundStage, u, v), water, weight);
  };
}
