#include "objects/centre_brush_programs.h"

#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Saturate;
using effect_values::Wrap;

namespace {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;

// How much of the reworked picture shows: the mask's red, or all of it without a mask.
float MaskWeight(bool masked, const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
  return masked ? Saturate(sampler.Sample(kMaskStage, in.texcoord[0][0], in.texcoord[0][1]).r) : 1.0f;
}

}  // namespace

d3d9::PixelProgram RadialExpandProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> amplitude = Floats(values, "amplitude", 2);
  const std::vector<float> center = Floats(values, "center", 2);
  const bool masked = HasTexture(values, "Mask");
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float grow = (amplitude[0] - amplitude[1]) * MaskWeight(masked, in, sampler);
    // A picture grown by 1 + g shows at uv what lies (uv - c) / (1 + g) from the centre.
    const float k = 1.0f + grow > 0.0f ? 1.0f / (1.0f + grow) : 1.0f;
    return sampler.Sample(kBackgroundStage, Saturate(center[0] + (u - center[0]) * k),
                          Saturate(center[1] + (v - center[1]) * k));
  });
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
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float dx = u - center[0];
    const float dy = v - center[1];
    const float r = std::sqrt(dx * scale[0] * dx * scale[0] + dy * scale[1] * dy * scale[1]);
    const float length = std::sqrt(dx * dx + dy * dy);
    // The centre itself has no direction to move in.
    if (length <= 0.0f) return sampler.Sample(kBackgroundStage, u, v);
    // A crest lies where r x frequency - time is constant: as "time" grows it lies further out, so a
    // rising time runs the rings outward and a falling one runs them in.
    const float d = amplitude * std::sin(r * zoom * frequency - time) * MaskWeight(masked, in, sampler) / length;
    return sampler.Sample(kBackgroundStage, Saturate(u + dx * d), Saturate(v + dy * d));
  });
}

d3d9::PixelProgram TurnedBackgroundProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> m = Floats(values, "coord_transf", 4);
  const std::vector<float> offset = Floats(values, "offset", 2);
  const bool masked = HasTexture(values, "Mask");
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float px = u + offset[0];
    const float py = v + offset[1];
    const float tu = px * m[0] + py * m[2] - offset[0];
    const float tv = px * m[1] + py * m[3] - offset[1];
    const float weight = MaskWeight(masked, in, sampler);
    return sampler.Sample(kBackgroundStage, Wrap(u + (tu - u) * weight), Wrap(v + (tv - v) * weight));
  });
}
