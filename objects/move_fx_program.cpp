#include "objects/move_fx_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::LerpLane;
using effect_values::Saturate;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;
}  // namespace

d3d9::PixelProgram BackgroundMoveProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> direction = Floats(values, "Direction", 2);
  const bool masked = HasTexture(values, "Mask");
  const float dx = direction[0], dy = direction[1];
  // Lookups are held inside the picture. The top is the last value below 1: a lookup at 1 itself
  // would wrap round to the first texel and show the far edge.
  const float top = std::nextafter(1.0f, 0.0f);
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      u[i] = std::min(Saturate(in.u[0][i] - dx), top);
      v[i] = std::min(Saturate(in.v[0][i] - dy), top);
    }
    sampler.Sample(kBackgroundStage, u, v, out);
    // Without a mask the whole picture moves (an unbound stage would read black and hide it).
    if (!masked) return;
    float mask[kLanes];
    d3d9::ColorBlock plain;
    sampler.SampleRed(kMaskStage, in.u[0], in.v[0], mask);
    sampler.Sample(kBackgroundStage, in.u[0], in.v[0], plain);
    for (int i = 0; i < kLanes; ++i) {
      const float weight = Saturate(mask[i]);
      if (weight < 1.0f) LerpLane(plain, out, weight, i, out);
    }
  };
}
