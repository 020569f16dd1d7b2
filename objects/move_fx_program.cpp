#include "objects/move_fx_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Lerp;
using effect_values::Saturate;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;

// Held inside the picture. The top is the last value below 1: a lookup at 1 itself would wrap
// round to the first texel and show the far edge.
float HoldInside(float x) { return std::min(Saturate(x), std::nextafter(1.0f, 0.0f)); }
}  // namespace

d3d9::PixelProgram BackgroundMoveProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> direction = Floats(values, "Direction", 2);
  const bool masked = HasTexture(values, "Mask");
  const float dx = direction[0], dy = direction[1];
  return [=](const d3d9::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const d3d9::Color moved = sampler.Sample(kBackgroundStage, HoldInside(u - dx), HoldInside(v - dy));
    // Without a mask the whole picture moves (an unbound stage would read black and hide it).
    const float weight = masked ? Saturate(sampler.Sample(kMaskStage, u, v).r) : 1.0f;
    if (weight >= 1.0f) return moved;
    return Lerp(sampler.Sample(kBackgroundStage, u, v), moved, weight);
  };
}
