#include "objects/heat_distortion_program.h"

#include <string>

#include "objects/effect_program_values.h"

namespace {

// The parameter's values, or zeros when the effect does not declare it.
std::vector<float> Floats(const std::vector<d3dx9::EffectValue>& values, const std::string& name, size_t count) {
  for (const d3dx9::EffectValue& v : values)
    if (v.parameter && v.parameter->name == name) {
      std::vector<float> out = v.floats;
      out.resize(count, 0.0f);
      return out;
    }
  return std::vector<float>(count, 0.0f);
}

}  // namespace

d3d9::PixelProgram HeatDistortionProgram(const std::vector<d3dx9::EffectValue>& values) {
  const float strength = Floats(values, "stenght", 1)[0];
  const std::vector<float> offset = Floats(values, "Offset", 2);
  const std::vector<float> scale = Floats(values, "bump_scale", 2);
  const float ox = offset[0], oy = offset[1], sx = scale[0], sy = scale[1];
  const bool isSigned = effect_values::SignedTexture(values, "Bumpmap");
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const d3d9::Color bump = sampler.Sample(1, u * sx + ox, v * sy + oy);
    d3d9::Color scene = sampler.Sample(0, u + effect_values::BumpOffset(bump.r, isSigned) * strength,
                                       v + effect_values::BumpOffset(bump.g, isSigned) * strength);
    scene.a = 1.0f;
    return scene;
  });
}
