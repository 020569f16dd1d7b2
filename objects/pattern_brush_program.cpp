#include "objects/pattern_brush_program.h"

#include "objects/effect_program_values.h"
#include "objects/pattern_brush_wide.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::MaskWeights;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr DWORD kPatternStage = 2;
constexpr int kLanes = d3d9::kBlockPixels;

// Whether no pixel of a block has any of the pattern's cover (its alpha 0, or not a number, which
// covers nothing either).
bool Clear(const d3d9::ColorBlock& pattern, int count) {
  for (int i = 0; i < count; ++i)
    if (pattern.a[i] > 0.0f) return false;
  return true;
}
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
  const PatternPlacement place{shape[0], shape[1], offset[0], offset[1], m[0], m[1], m[2], m[3]};
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    alignas(64) float tu[kLanes];
    alignas(64) float tv[kLanes];
    PatternLookups(place, in, tu, tv);
    d3d9::ColorBlock pattern;
    sampler.Sample(kPatternStage, tu, tv, pattern);
    // Where the pattern is clear at every pixel its cover is 0 whatever the mask says, and laying
    // its colours (a texture's, finite) over gives the background exactly: the mask is not read.
    if (Clear(pattern, in.count)) {
      sampler.Sample(kBackgroundStage, in.u[0], in.v[0], out);
      return;
    }
    // The pattern's own cover, times the mask's where one is bound.
    float cover[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, cover);
    // The pattern laid over the background; the background keeps its own alpha.
    sampler.Sample(kBackgroundStage, in.u[0], in.v[0], out);
    PatternOver(pattern, cover, out);
  };
}
