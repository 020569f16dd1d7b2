#include "objects/heat_distortion_program.h"

#include "objects/effect_program_values.h"

// The block is compiled once per instruction set below (its loops then run on the widest
// registers the machine has); what it reads is declared once, here.
#ifndef OBJECTS_HEAT_DISTORTION_PROGRAM_ONCE
#define OBJECTS_HEAT_DISTORTION_PROGRAM_ONCE
namespace heat_program {

constexpr DWORD kSceneStage = 0;
constexpr DWORD kBumpStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

struct Heat {
  float strength;
  float ox, oy;  // where the bump map has scrolled to
  float sx, sy;  // its scale
  bool isSigned;
};

}  // namespace heat_program
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/heat_distortion_program.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace heat_program {
namespace HWY_NAMESPACE {

void HeatBlock(const Heat& h, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
               d3d9::ColorBlock& out) {
  float u[kLanes];
  float v[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    u[i] = in.u[0][i] * h.sx + h.ox;
    v[i] = in.v[0][i] * h.sy + h.oy;
  }
  float bumpRed[kLanes];
  float bumpGreen[kLanes];
  sampler.SampleRedGreen(kBumpStage, u, v, bumpRed, bumpGreen);
  float pushU[kLanes];
  float pushV[kLanes];
  effect_values::BumpOffsetLanes(bumpRed, h.isSigned, pushU);
  effect_values::BumpOffsetLanes(bumpGreen, h.isSigned, pushV);
  for (int i = 0; i < kLanes; ++i) {
    u[i] = in.u[0][i] + pushU[i] * h.strength;
    v[i] = in.v[0][i] + pushV[i] * h.strength;
  }
  sampler.Sample(kSceneStage, u, v, out);
  for (int i = 0; i < kLanes; ++i) out.a[i] = 1.0f;
}

}  // namespace HWY_NAMESPACE
}  // namespace heat_program
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace heat_program {
HWY_EXPORT(HeatBlock);
}  // namespace heat_program

using effect_values::Floats;

d3d9::PixelProgram HeatDistortionProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> offset = Floats(values, "Offset", 2);
  const std::vector<float> scale = Floats(values, "bump_scale", 2);
  const heat_program::Heat heat{Floats(values, "stenght", 1)[0], offset[0], offset[1], scale[0], scale[1],
                                effect_values::SignedTexture(values, "Bumpmap")};
  return [heat](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(heat_program::HeatBlock)(heat, in, sampler, out);
  };
}
#endif  // HWY_ONCE
