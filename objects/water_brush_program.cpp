#include "objects/water_brush_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"

using effect_values::BumpOffsetLanes;
using effect_values::Floats;
using effect_values::MaskWeights;
using effect_values::HasTexture;
using effect_values::Saturate;
using effect_values::SaturateLane;
using effect_values::Select;
using effect_values::SignedTexture;
using effect_values::SinLanes;
using effect_values::WrapLane;

namespace {
constexpr DWORD kBackgroundStage = 0;
constexpr DWORD kMaskStage = 1;
constexpr DWORD kBumpStage = 2;
constexpr int kLanes = d3d9::kBlockPixels;
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
  // an x-y part.
  const bool shaded = reach > 0.0f && light > 0.0f;
  const float spread = reach * light;
  const float scaleU = scale[0], scaleV = scale[1];
  const float w1x = wave1[0], w1y = wave1[1], w2x = wave2[0], w2y = wave2[1];
  const float t0 = turn[0], t1 = turn[1], t2 = turn[2], t3 = turn[3];
  const float h0 = half[0], h1 = half[1];
  const float c0 = tint[0], c1 = tint[1], c2 = tint[2];
  return [=](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    const float* u = in.u[0];
    const float* v = in.v[0];
    float su[kLanes];
    float sv[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      su[i] = u[i] * scaleU;
      sv[i] = v[i] * scaleV;
    }
    float nx[kLanes];
    float ny[kLanes];
    if (bumped) {
      float wu[kLanes];
      float wv[kLanes];
      for (int i = 0; i < kLanes; ++i) {
        wu[i] = WrapLane(su[i]);
        wv[i] = WrapLane(sv[i]);
      }
      d3d9::ColorBlock bump;
      sampler.Sample(kBumpStage, wu, wv, bump);
      BumpOffsetLanes(bump.r, signedBump, nx);
      BumpOffsetLanes(bump.g, signedBump, ny);
    } else {
      for (int i = 0; i < kLanes; ++i) nx[i] = ny[i] = 0.0f;
    }
    float sx[kLanes];
    float sy[kLanes];
    float phase[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      sx[i] = t0 * nx[i] + t1 * ny[i];
      sy[i] = t2 * nx[i] + t3 * ny[i];
      phase[i] = su[i] * w1x + sv[i] * w1y + time;
    }
    float sine[kLanes];
    SinLanes(phase, in.count, sine);
    float weight[kLanes];
    MaskWeights(masked, kMaskStage, in, sampler, weight);
    float pu[kLanes];
    float pv[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      // The wave's profile: a sine whose crests sharpen (and troughs flatten) as the shape grows.
      const float s = sine[i];
      const float wave = s * (1.0f - sharpness) / (1.0f - sharpness * std::fabs(s));
      const float du = (sx[i] + w2x * wave) * weight[i];
      const float dv = (sy[i] + w2y * wave) * weight[i];
      // Held inside the picture: a push at an edge repeats the edge rather than the far side.
      pu[i] = Saturate(u[i] + du);
      pv[i] = Saturate(v[i] + dv);
    }
    d3d9::ColorBlock seen;
    sampler.Sample(kBackgroundStage, pu, pv, seen);
    // A slope turned away from the light (the x-y part of "Vhalf") darkens, by as much as it turns
    // away; a flat surface and slopes facing the light keep their colour.
    float shade[kLanes];
    if (shaded) {
      for (int i = 0; i < kLanes; ++i) {
        const float away = SaturateLane(-(sx[i] * h0 + sy[i] * h1) / spread);
        shade[i] = 1.0f - shadows * away;
      }
    } else {
      // "Shadows" is held to 0..1, so no darkening leaves the colour as it is.
      for (int i = 0; i < kLanes; ++i) shade[i] = 1.0f;
    }
    for (int i = 0; i < kLanes; ++i) {
      out.r[i] = Saturate(seen.r[i] * c0 * shade[i]);
      out.g[i] = Saturate(seen.g[i] * c1 * shade[i]);
      out.b[i] = Saturate(seen.b[i] * c2 * shade[i]);
      out.a[i] = seen.a[i];
    }
    // Where the mask is partial the water shows over the still background by the mask's weight.
    if (!masked) return;
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
  };
}
