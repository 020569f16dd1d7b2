#include "objects/discharge_glow_programs.h"

#include <algorithm>

#include "objects/effect_program_values.h"
#include "platform/d3dx9/effect_programs.h"

using effect_values::Floats;
using effect_values::Saturate;
using effect_values::SaturateLane;

namespace {

constexpr DWORD kPictureStage = 0;
constexpr DWORD kGlowStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

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

// The gathered glow's strength in each lane, times the tint's strength: its brightest channel (it
// was gathered as a grey light).
void GlowWeights(const Tint& tint, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, float* weight) {
  d3d9::ColorBlock glow;
  sampler.Sample(kGlowStage, in.u[0], in.v[0], glow);
  const float strength = tint.strength;
  for (int i = 0; i < kLanes; ++i) {
    const float rg = std::max(glow.r[i], glow.g[i]);
    weight[i] = Saturate(SaturateLane(std::max(rg, glow.b[i])) * strength);
  }
}

}  // namespace

d3d9::PixelProgram GlowGatherProgram(const std::vector<d3dx9::EffectValue>&) {
  return [](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float alpha[kLanes];
    sampler.Sample(kPictureStage, in.u[0], in.v[0], out);
    for (int i = 0; i < kLanes; ++i) alpha[i] = out.a[i] * in.diffuse[3][i];
    // Colour weighted by coverage: a transparent corner of the picture adds no light.
    for (int i = 0; i < kLanes; ++i) {
      out.r[i] *= alpha[i];
      out.g[i] *= alpha[i];
      out.b[i] *= alpha[i];
      out.a[i] = alpha[i];
    }
  };
}

d3d9::PixelProgram GlowScreenProgram(const std::vector<d3dx9::EffectValue>& values) {
  const Tint tint = TintOf(values);
  return [tint](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float g[kLanes];
    GlowWeights(tint, in, sampler, g);
    sampler.Sample(kPictureStage, in.u[0], in.v[0], out);
    for (int i = 0; i < kLanes; ++i) {
      out.r[i] = 1.0f - (1.0f - out.r[i]) * (1.0f - tint.r * g[i]);
      out.g[i] = 1.0f - (1.0f - out.g[i]) * (1.0f - tint.g * g[i]);
      out.b[i] = 1.0f - (1.0f - out.b[i]) * (1.0f - tint.b * g[i]);
      out.a[i] = 1.0f;
    }
  };
}

d3d9::PixelProgram GlowNormalProgram(const std::vector<d3dx9::EffectValue>& values) {
  const Tint tint = TintOf(values);
  return [tint](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float g[kLanes];
    GlowWeights(tint, in, sampler, g);
    sampler.Sample(kPictureStage, in.u[0], in.v[0], out);
    for (int i = 0; i < kLanes; ++i) {
      out.r[i] = out.r[i] + (tint.r - out.r[i]) * g[i];
      out.g[i] = out.g[i] + (tint.g - out.g[i]) * g[i];
      out.b[i] = out.b[i] + (tint.b - out.b[i]) * g[i];
      out.a[i] = 1.0f;
    }
  };
}
