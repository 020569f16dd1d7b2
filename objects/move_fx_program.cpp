#include "objects/move_fx_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"

// The block is compiled once per instruction set below (its loops then run on the widest
// registers the machine has); what it reads is declared once, here.
#ifndef OBJECTS_MOVE_FX_PROGRAM_ONCE
#define OBJECTS_MOVE_FX_PROGRAM_ONCE
namespace move_program {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

struct Move {
  float dx, dy;  // the direction
  float top;     // the last lookup below 1
  bool masked;
};

}  // namespace move_program
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/move_fx_program.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace move_program {
namespace HWY_NAMESPACE {

using effect_values::LerpLane;
using effect_values::MaskHidesBlock;
using effect_values::MaskWeights;
using effect_values::Saturate;

void MoveBlock(const Move& m, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
               d3d9::ColorBlock& out) {
  // Without a mask every weight is 1 and the whole picture moves (an unbound stage would read black
  // and hide it).
  float weight[kLanes];
  MaskWeights(m.masked, kMaskStage, in, sampler, weight);
  // Where the mask hides the whole block the picture stays where it is (the blend by a weight of 0
  // below); where it shows the whole block, only the moved picture is read.
  if (MaskHidesBlock(m.masked, weight, in.count)) {
    sampler.Sample(kBackgroundStage, in.u[0], in.v[0], out);
    return;
  }
  float u[kLanes];
  float v[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    u[i] = std::min(Saturate(in.u[0][i] - m.dx), m.top);
    v[i] = std::min(Saturate(in.v[0][i] - m.dy), m.top);
  }
  sampler.Sample(kBackgroundStage, u, v, out);
  bool whole = true;
  for (int i = 0; i < in.count; ++i) whole = whole && weight[i] >= 1.0f;
  if (whole) return;
  d3d9::ColorBlock plain;
  sampler.Sample(kBackgroundStage, in.u[0], in.v[0], plain);
  for (int i = 0; i < kLanes; ++i) {
    if (weight[i] < 1.0f) LerpLane(plain, out, weight[i], i, out);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace move_program
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace move_program {
HWY_EXPORT(MoveBlock);
}  // namespace move_program

using effect_values::Floats;

d3d9::PixelProgram BackgroundMoveProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> direction = Floats(values, "Direction", 2);
  // Lookups are held inside the picture. The top is the last value below 1: a lookup at 1 itself
  // would wrap round to the first texel and show the far edge.
  const move_program::Move move{direction[0], direction[1], std::nextafter(1.0f, 0.0f),
                                effect_values::HasTexture(values, "Mask")};
  return [move](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(move_program::MoveBlock)(move, in, sampler, out);
  };
}
#endif  // HWY_ONCE
