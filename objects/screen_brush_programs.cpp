#include "objects/screen_brush_programs.h"

#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Lerp;
using effect_values::Mirror;
using effect_values::Saturate;
using effect_values::Wrap;

namespace {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;

// How much of the reworked picture shows: the mask's red, or all of it without a mask (an unbound
// stage would read black and hide the effect everywhere).
float MaskWeight(bool masked, const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
  return masked ? Saturate(sampler.Sample(kMaskStage, in.texcoord[0][0], in.texcoord[0][1]).r) : 1.0f;
}

}  // namespace

d3d9::PixelProgram BackgroundCopyProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> offset = Floats(values, "offset", 2);
  const bool masked = HasTexture(values, "Mask");
  const float ox = offset[0], oy = offset[1];
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    // The layer's picture repeats mirrored: an offset past a whole picture shows the mirrored copy.
    const d3d9::Color moved = sampler.Sample(kBackgroundStage, Mirror(u - ox), Mirror(v - oy));
    const float weight = MaskWeight(masked, in, sampler);
    if (weight >= 1.0f) return moved;
    return Lerp(sampler.Sample(kBackgroundStage, u, v), moved, weight);
  });
}

d3d9::PixelProgram LightPulseProgram(const std::vector<d3dx9::EffectValue>& values) {
  const float multiplier = Floats(values, "multiplier", 1)[0];
  const bool masked = HasTexture(values, "Mask");
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const d3d9::Color c = sampler.Sample(kBackgroundStage, in.texcoord[0][0], in.texcoord[0][1]);
    const float gain = 1.0f + multiplier * MaskWeight(masked, in, sampler);
    return d3d9::Color{Saturate(c.r * gain), Saturate(c.g * gain), Saturate(c.b * gain), c.a};
  });
}

d3d9::PixelProgram StraightWavesProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "Scale", 2);
  const std::vector<float> direction = Floats(values, "direction", 2);
  const std::vector<float> normal = Floats(values, "direction_n", 2);
  const float frequency = Floats(values, "frequency", 1)[0];
  const float amplitude = Floats(values, "amplitude", 1)[0];
  const float time = Floats(values, "time", 1)[0];
  const bool masked = HasTexture(values, "Mask");
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float along = u * scale[0] * direction[0] + v * scale[1] * direction[1];
    const float d = amplitude * std::sin(along * frequency + time) * MaskWeight(masked, in, sampler);
    // Held inside the picture: a wave at an edge repeats the edge rather than the far side.
    return sampler.Sample(kBackgroundStage, Saturate(u + normal[0] * d), Saturate(v + normal[1] * d));
  });
}
