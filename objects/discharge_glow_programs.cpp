#include "objects/discharge_glow_programs.h"

#include <algorithm>

#include "objects/effect_program_values.h"
#include "platform/d3dx9/effect_programs.h"

using effect_values::Floats;
using effect_values::Saturate;

namespace {

constexpr DWORD kPictureStage = 0;
constexpr DWORD kGlowStage = 1;

const bool g_GlowGatherRegistered = d3dx9::RegisterEffectProgram("glow_gather", &GlowGatherProgram);
const bool g_GlowScreenRegistered = d3dx9::RegisterEffectProgram("glow_screen", &GlowScreenProgram);
const bool g_GlowNormalRegistered = d3dx9::RegisterEffectProgram("glow_normal", &GlowNormalProgram);

struct Tint {
  float r, g, b, strength;
};

Tint TintOf(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> c = Floats(values, "BlendColor", 4);
  return {Saturate(c[0]), Saturate(c[1]), Saturate(c[2]), std::max(0.0f, c[3])};
}

// The gathered glow's strength at a pixel: its brightest channel (it was gathered as a grey light).
float GlowAt(const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
  const d3d9::Color g = sampler.Sample(kGlowStage, in.texcoord[0][0], in.texcoord[0][1]);
  return Saturate(std::max({g.r, g.g, g.b}));
}

}  // namespace

d3d9::PixelProgram GlowGatherProgram(const std::vector<d3dx9::EffectValue>&) {
  return effect_values::PerPixel([](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const d3d9::Color t = sampler.Sample(kPictureStage, in.texcoord[0][0], in.texcoord[0][1]);
    const float a = t.a * in.diffuse.a;
    // Colour weighted by coverage: a transparent corner of the picture adds no light.
    return d3d9::Color{t.r * a, t.g * a, t.b * a, a};
  });
}

d3d9::PixelProgram GlowScreenProgram(const std::vector<d3dx9::EffectValue>& values) {
  const Tint tint = TintOf(values);
  return effect_values::PerPixel([tint](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const d3d9::Color bg = sampler.Sample(kPictureStage, in.texcoord[0][0], in.texcoord[0][1]);
    const float g = Saturate(GlowAt(in, sampler) * tint.strength);
    auto screen = [g](float base, float light) { return 1.0f - (1.0f - base) * (1.0f - light * g); };
    return d3d9::Color{screen(bg.r, tint.r), screen(bg.g, tint.g), screen(bg.b, tint.b), 1.0f};
  });
}

d3d9::PixelProgram GlowNormalProgram(const std::vector<d3dx9::EffectValue>& values) {
  const Tint tint = TintOf(values);
  return effect_values::PerPixel([tint](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const d3d9::Color bg = sampler.Sample(kPictureStage, in.texcoord[0][0], in.texcoord[0][1]);
    const float g = Saturate(GlowAt(in, sampler) * tint.strength);
    return d3d9::Color{bg.r + (tint.r - bg.r) * g, bg.g + (tint.g - bg.g) * g, bg.b + (tint.b - bg.b) * g, 1.0f};
  });
}
