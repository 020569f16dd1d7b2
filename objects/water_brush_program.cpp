#include "objects/water_brush_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"

// The block's work is compiled once per instruction set below (the loops over a block then run on
// the widest registers the machine has); what it reads is declared once, here.
#ifndef OBJECTS_WATER_BRUSH_PROGRAM_ONCE
#define OBJECTS_WATER_BRUSH_PROGRAM_ONCE
namespace water_program {

constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr DWORD kBumpStage = 2;
constexpr int kLanes = d3d9::kBlockPixels;

// The effect's values as the program reads them.
struct Water {
  float scaleU, scaleV;
  float w1x, w1y, w2x, w2y;  // the wave's direction and its push
  float t0, t1, t2, t3;      // the bump transform
  float h0, h1;              // the light's x-y part
  float c0, c1, c2;          // the tint
  float time;
  float shadows;
  float sharpness;
  bool masked;
  bool bumped;
  bool signedBump;
  bool shaded;
  float spread;
};

}  // namespace water_program
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/water_brush_program.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace water_program {
namespace HWY_NAMESPACE {

using effect_values::BumpOffsetLanes;
using effect_values::MaskHidesBlock;
using effect_values::MaskWeights;
using effect_values::Saturate;
using effect_values::SaturateLane;
using effect_values::Select;
using effect_values::SinLanes;
using effect_values::WrapLane;

void ColourBlock(const Water& water, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                 d3d9::ColorBlock& out) {
    const float* u = in.u[0];
    const float* v = in.v[0];
    float weight[kLanes];
    MaskWeights(water.masked, kMaskStage, in, sampler, weight);
    // Where the mask hides the whole block, the still background shows as it is (blended by a
    // weight of 0 below).
    if (MaskHidesBlock(water.masked, weight, in.count)) {
      sampler.Sample(kBackgroundStage, u, v, out);
      return;
    }
    float su[kLanes];
    float sv[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      su[i] = u[i] * water.scaleU;
      sv[i] = v[i] * water.scaleV;
    }
    float nx[kLanes];
    float ny[kLanes];
    if (water.bumped) {
      float wu[kLanes];
      float wv[kLanes];
      for (int i = 0; i < kLanes; ++i) {
        wu[i] = WrapLane(su[i]);
        wv[i] = WrapLane(sv[i]);
      }
      d3d9::ColorBlock bump;
      sampler.Sample(kBumpStage, wu, wv, bump);
      BumpOffsetLanes(bump.r, water.signedBump, nx);
      BumpOffsetLanes(bump.g, water.signedBump, ny);
    } else {
      for (int i = 0; i < kLanes; ++i) nx[i] = ny[i] = 0.0f;
    }
    float sx[kLanes];
    float sy[kLanes];
    float phase[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      sx[i] = water.t0 * nx[i] + water.t1 * ny[i];
      sy[i] = water.t2 * nx[i] + water.t3 * ny[i];
      phase[i] = su[i] * water.w1x + sv[i] * water.w1y + water.time;
    }
    float sine[kLanes];
    SinLanes(phase, in.count, sine);
    float pu[kLanes];
    float pv[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      // The wave's profile: a sine whose crests sharpen (and troughs flatten) as the shape grows.
      const float s = sine[i];
      const float wave = s * (1.0f - water.sharpness) / (1.0f - water.sharpness * std::fabs(s));
      const float du = (sx[i] + water.w2x * wave) * weight[i];
      const float dv = (sy[i] + water.w2y * wave) * weight[i];
      // Held inside the picture: a push at an edge repeats the edge rather than the far side.
      pu[i] = Saturate(u[i] + du);
      pv[i] = Saturate(v[i] + dv);
    }
    d3d9::ColorBlock seen;
    sampler.Sample(kBackgroundStage, pu, pv, seen);
    // A slope turned away from the light (the x-y part of "Vhalf") darkens, by as much as it turns
    // away and the less the higher the light stands (the z of "Vhalf"); a flat surface and slopes
    // facing the light keep their colour.
    float shade[kLanes];
    if (water.shaded) {
      for (int i = 0; i < kLanes; ++i) {
        const float away = SaturateLane(-(sx[i] * water.h0 + sy[i] * water.h1) / water.spread);
        shade[i] = 1.0f - water.shadows * away;
      }
    } else {
      // "Shadows" is held to 0..1, so no darkening leaves the colour as it is.
      for (int i = 0; i < kLanes; ++i) shade[i] = 1.0f;
    }
    for (int i = 0; i < kLanes; ++i) {
      out.r[i] = Saturate(seen.r[i] * water.c0 * shade[i]);
      out.g[i] = Saturate(seen.g[i] * water.c1 * shade[i]);
      out.b[i] = Saturate(seen.b[i] * water.c2 * shade[i]);
      out.a[i] = seen.a[i];
    }
    // Where the mask is partial the water shows over the still background by the mask's weight.
    if (!water.masked) return;
    // Where the mask covers every pixel of the block whole, the still background is not needed.
    int partial = 0;
    for (int i = 0; i < kLanes; ++i) partial |= (i < in.count) & (weight[i] < 1.0f);
    if (partial == 0) return;
    d3d9::ColorBlock plain;
    sampler.Sample(kBackgroundStage, u, v, plain);
    for (int i = 0; i < kLanes; ++i) {
      const bool whole = weight[i] >= 1.0f;
      out.r[i] = Select(whole, out.r[i], plain.r[i] + (out.r[i] - plain.r[i]) * weight[i]);
      out.g[i] = Select(whole, out.g[i], plain.g[i] + (out.g[i] - plain.g[i]) * weight[i]);
      out.b[i] = Select(whole, out.b[i], plain.b[i] + (out.b[i] - plain.b[i]) * weight[i]);
      out.a[i] = Select(whole, out.a[i], plain.a[i] + (out.a[i] - plain.a[i]) * weight[i]);
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace water_program
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace water_program {
HWY_EXPORT(ColourBlock);
}  // namespace water_program

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Saturate;
using effect_values::SignedTexture;

namespace {
// The sharpest crest the shape may ask for; a sharper one would make the profile a spike.
constexpr float kSharpest = 0.9f;

// The crest sharpness the shape stands for: "P2" is (1, w, 1) with w = (q + sqrt q) / (q - 1),
// q = 2 / a - 1, which runs from 1 for a gentle shape (a near 0) to infinity at a = 1.
float Sharpness(const std::vector<float>& p2) {
  const float w = p2[1];
  if (std::isnan(w) || w <= 1.0f) return 0.0f;
  return std::min(kSharpest, 1.0f - 1.0f / w);
}

}  // namespace

d3d9::PixelProgram WaterSurfaceProgram(const std::vector<d3dx9::EffectValue>& values) {
  const std::vector<float> scale = Floats(values, "Scale", 2);
  const std::vector<float> turn = Floats(values, "BampTrans", 4);
  const std::vector<float> wave1 = Floats(values, "Direction1", 2);
  const std::vector<float> wave2 = Floats(values, "Direction2", 2);
  const std::vector<float> half = Floats(values, "Vhalf", 3);
  const std::vector<float> tint = Floats(values, "Color", 3);
  const float time = Floats(values, "Time", 1)[0];
  const float shadows = Saturate(Floats(values, "Shadows", 1)[0]);
  const float sharpness = Sharpness(Floats(values, "P2", 3));
  const bool masked = HasTexture(values, "Mask");
  const bool bumped = HasTexture(values, "BumpMap");
  const bool signedBump = SignedTexture(values, "BumpMap");
  // The length of the bump transform's rows: dividing by it gives the slope at the bump map's own
  // scale, so that the shadows do not depend on how far the slopes push the picture.
  const float reach = std::hypot(turn[0], turn[1]);
  const float light = std::hypot(half[0], half[1]);
  // Slopes turned away from the light darken only when both the bump transform and the light have
  // an x-y part; the unit half vector's x-y part is shorter the higher the light stands.
  const bool shaded = reach > 0.0f && light > 0.0f;
  const float spread = reach;
  const water_program::Water water{scale[0], scale[1], wave1[0],  wave1[1], wave2[0], wave2[1],  turn[0], turn[1],
                                   turn[2],  turn[3],  half[0],   half[1],  tint[0],  tint[1],   tint[2], time,
                                   shadows,  sharpness, masked,   bumped,   signedBump, shaded,  spread};
  return [water](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(water_program::ColourBlock)(water, in, sampler, out);
  };
}
#endif  // HWY_ONCE
