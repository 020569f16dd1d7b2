#include "objects/underwater_brush_program.h"

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::SinLanes;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;
}  // namespace

d3d9::PixelProgram UnderwaterWobbleProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> frequency = Floats(values, "frequency", 2);
  // The brush's zoom spaces the wobble: "Scale" is (aspect, 1) divided by the zoom.
  const float zoom = Floats(values, "Scale", 2)[1];
  const float fx = frequency[0] * zoom;
  const float fy = frequency[1] * zoom;
  const float amplitude = Floats(values, "amplitude", 1)[0];
  const float time = Floats(values, "time", 1)[0];
  // An unbound stage reads black, which would still the whole picture: without a mask all of it moves.
  const bool masked = effect_values::HasTexture(values, "Mask");
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float a[kLanes];
    if (masked) {
      sampler.SampleRed(kMaskStage, in.u[0], in.v[0], a);
      for (int i = 0; i < kLanes; ++i) a[i] = amplitude * a[i];
    } else {
      for (int i = 0; i < kLanes; ++i) a[i] = amplitude;
    }
    // The sideways push follows v and the upright push follows u.
    float argument[kLanes];
    float sineV[kLanes];
    float sineU[kLanes];
    for (int i = 0; i < kLanes; ++i) argument[i] = fy * in.v[0][i] + time;
    SinLanes(argument, in.count, sineV);
    // The upright push's argument follows u alone: the same for every row below.
    for (int i = 0; i < kLanes; ++i) argument[i] = fx * in.u[0][i] + time;
    thread_local effect_values::ColumnSines columnSines;
    columnSines.Lanes(in, argument, sineU);
    float u[kLanes];
    float v[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      u[i] = in.u[0][i] + a[i] * sineV[i];
      v[i] = in.v[0][i] + a[i] * sineU[i];
    }
    sampler.Sample(kBackgroundStage, u, v, out);
  };
}
