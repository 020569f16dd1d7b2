#include "objects/underwater_brush_program.h"

#include <cmath>

#include "objects/effect_program_values.h"

namespace {

struct WobbleParameters {
  float fx;
  float fy;
  float amplitude;
  float time;
  bool masked;
};

}  // namespace

d3d9::PixelProgram UnderwaterWobbleProgram(const std::vector<d3dx9::EffectValue>& values) {
  using effect_values::Floats;
  WobbleParameters p{};
  const std::vector<float> frequency = Floats(values, "frequency", 2);
  // The brush's zoom spaces the wobble: "Scale" is (aspect, 1) divided by the zoom.
  const float zoom = Floats(values, "Scale", 2)[1];
  p.fx = frequency[0] * zoom;
  p.fy = frequency[1] * zoom;
  p.amplitude = Floats(values, "amplitude", 1)[0];
  p.time = Floats(values, "time", 1)[0];
  // An unbound stage reads black, which would still the whole picture: without a mask all of it moves.
  p.masked = effect_values::HasTexture(values, "Mask");
  return effect_values::PerPixel([p](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    float a = p.amplitude;
    if (p.masked) a *= sampler.Sample(1, u, v).r;
    const float du = a * std::sin(p.fy * v + p.time);
    const float dv = a * std::sin(p.fx * u + p.time);
    return sampler.Sample(0, u + du, v + dv);
  });
}
