#include "objects/underwater_brush_program.h"

#include "objects/effect_program_values.h"

// The block is compiled once per instruction set below (its loops then run on the widest
// registers the machine has); what it reads is declared once, here.
#ifndef OBJECTS_UNDERWATER_BRUSH_PROGRAM_ONCE
#define OBJECTS_UNDERWATER_BRUSH_PROGRAM_ONCE
namespace underwater_program {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

struct Wobble {
  float fx, fy;  // the frequencies, spaced by the zoom
  float amplitude;
  float time;
  bool masked;
};

}  // namespace underwater_program
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/underwater_brush_program.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace underwater_program {
namespace HWY_NAMESPACE {

void WobbleBlock(const Wobble& w, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                 d3d9::ColorBlock& out) {
  float a[kLanes];
  if (w.masked) {
    sampler.SampleRed(kMaskStage, in.u[0], in.v[0], a);
    for (int i = 0; i < kLanes; ++i) a[i] = w.amplitude * a[i];
  } else {
    for (int i = 0; i < kLanes; ++i) a[i] = w.amplitude;
  }
  // The sideways push follows v and the upright push follows u.
  float argument[kLanes];
  float sineV[kLanes];
  float sineU[kLanes];
  for (int i = 0; i < kLanes; ++i) argument[i] = w.fy * in.v[0][i] + w.time;
  effect_values::SinLanes(argument, in.count, sineV);
  // The upright push's argument follows u alone: the same for every row below.
  for (int i = 0; i < kLanes; ++i) argument[i] = w.fx * in.u[0][i] + w.time;
  thread_local effect_values::ColumnSines columnSines;
  columnSines.Lanes(in, argument, sineU);
  float u[kLanes];
  float v[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    u[i] = in.u[0][i] + a[i] * sineV[i];
    v[i] = in.v[0][i] + a[i] * sineU[i];
  }
  sampler.Sample(kBackgroundStage, u, v, out);
}

}  // namespace HWY_NAMESPACE
}  // namespace underwater_program
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace underwater_program {
HWY_EXPORT(WobbleBlock);
}  // namespace underwater_program

using effect_values::Floats;

d3d9::PixelProgram UnderwaterWobbleProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> frequency = Floats(values, "frequency", 2);
  // The brush's zoom spaces the wobble: "Scale" is (aspect, 1) divided by the zoom.
  const float zoom = Floats(values, "Scale", 2)[1];
  // An unbound stage reads black, which would still the whole picture: without a mask all of it moves.
  const underwater_program::Wobble wobble{frequency[0] * zoom, frequency[1] * zoom, Floats(values, "amplitude", 1)[0],
                                          Floats(values, "time", 1)[0], effect_values::HasTexture(values, "Mask")};
  return [wobble](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(underwater_program::WobbleBlock)(wobble, in, sampler, out);
  };
}
#endif  // HWY_ONCE
