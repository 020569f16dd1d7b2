#include "objects/pattern_brush_program.h"

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Lerp;
using effect_values::Saturate;
using effect_values::Wrap;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr DWORD kPatternStage = 2;
}  // namespace

d3d9::PixelProgram TiledPatternProgram(const std::vector<d3dx9::EffectValue>& values) {
  std::vector<float> shape = Floats(values, "scale", 2);
  // A shape without a width or height would divide by zero: the tile is then taken as square.
  if (shape[0] == 0.0f || shape[1] == 0.0f) shape = {1.0f, 1.0f};
  const std::vector<float> offset = Floats(values, "offset", 2);
  std::vector<float> m = Floats(values, "coord_transf", 4);
  // The brush's zoom sizes the tiles: "Scale" is (aspect, 1) divided by the zoom, so a zoom of 2
  // shows half as many tiles, each twice as large.
  const float zoom = Floats(values, "Scale", 2)[1];
  for (float& entry : m) entry *= zoom;
  const bool masked = HasTexture(values, "Mask");
  return effect_values::PerPixel([=](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    const float x = u * shape[0];
    const float y = v * shape[1];
    const float tu = (x * m[0] + y * m[2]) / shape[0] + offset[0];
    const float tv = (x * m[1] + y * m[3]) / shape[1] + offset[1];
    const d3d9::Color pattern = sampler.Sample(kPatternStage, Wrap(tu), Wrap(tv));
    float cover = Saturate(pattern.a);
    if (masked) cover *= Saturate(sampler.Sample(kMaskStage, u, v).r);
    const d3d9::Color background = sampler.Sample(kBackgroundStage, u, v);
    d3d9::Color out = Lerp(background, pattern, cover);
    out.a = background.a;
    return out;
  });
}
