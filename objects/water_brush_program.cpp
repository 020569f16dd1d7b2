#include "objects/water_brush_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::BumpOffset;
using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Lerp;
using effect_values::Saturate;
using effect_values::SignedTexture;
using effect_values::Wrap;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr DWORD kBumpStage = 2;
// The sharpest crest the shape may ask for; a sharper one would make the profile a spike.
constexpr float kSharpest = 0.9f;

// The crest sharpness the shape stands for: "P2" is (1, w, 1) with w = (q + sqrt q) / (q - 1),
// q = 2 / a - 1, which runs from 1 for a gentle shape (a near 0) to infinity at a = 1.
float Sharpness(const std::vector<float>& p2) {
  const float w = p2[1];
  if (std::isnan(w) || w <= 1.0f) return 0.0f;
  return std::min(kSharpest, 1.0f - 1.0f / w);
}

}  // namespace

d3d9::PixelProgram WaterSurfaceProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "Scale", 2);
  const std::vector<float> turn = Floats(values, "BampTrans", 4);
  const std::vector<float> wave1 = Floats(values, "Direction1", 2);
  const std::vector<float> wave2 = Floats(values, "Direction2", 2);
  const std::vector<float> half = Floats(values, "Vhalf", 3);
  const std::vector<float> tint = Floats(values, "Color", 3);
  const float time = Floats(values, "Time", 1)[0];
  const float shadows = Saturate(Floats(values, "Shadows", 1)[0]);
  const float sharpness = Sharpness(Floats(values, "P2", 3));
  const bool masked = HasTexture(values, "Mask");
  const bool bumped = HasTexture(values, "BumpMap");
  const bool signedBump = SignedTexture(values, "BumpMap");
  // The length of the bump transform's rows: dividing by it gives the slope at the bump map's own
  // scale, so that the shadows do not depend on how far the slopes push the picture.
  const float reach = std::hypot(turn[0], turn[1]);
  const float light = std::hypot(half[0], half[1]);
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float su = u * scale[0];
    const float sv = v * scale[1];
    float nx = 0.0f, ny = 0.0f;
    if (bumped) {
      const d3d9::Color b = sampler.Sample(kBumpStage, Wrap(su), Wrap(sv));
      nx = BumpOffset(b.r, signedBump);
      ny = BumpOffset(b.g, signedBump);
    }
    const float sx = turn[0] * nx + turn[1] * ny;
    const float sy = turn[2] * nx + turn[3] * ny;
    // The wave's profile: a sine whose crests sharpen (and troughs flatten) as the shape grows.
    const float s = std::sin(su * wave1[0] + sv * wave1[1] + time);
    const float wave = s * (1.0f - sharpness) / (1.0f - sharpness * std::fabs(s));
    const float weight = masked ? Saturate(sampler.Sample(kMaskStage, u, v).r) : 1.0f;
    const float du = (sx + wave2[0] * wave) * weight;
    const float dv = (sy + wave2[1] * wave) * weight;
    // Held inside the picture: a push at an edge repeats the edge rather than the far side.
    const d3d9::Color seen = sampler.Sample(kBackgroundStage, Saturate(u + du), Saturate(v + dv));
    // A slope turned away from the light (the x-y part of "Vhalf") darkens, by as much as it turns
    // away; a flat surface and slopes facing the light keep their colour.
    float away = 0.0f;
    if (reach > 0.0f && light > 0.0f) away = Saturate(-(sx * half[0] + sy * half[1]) / (reach * light));
    const float shade = 1.0f - shadows * away;
    const d3d9::Color water{Saturate(seen.r * tint[0] * shade), Saturate(seen.g * tint[1] * shade),
                            Saturate(seen.b * tint[2] * shade), seen.a};
    if (weight >= 1.0f) return water;
    return Lerp(sampler.Sample(kBackgroundStage, u, v), water, weight);
  });
}
