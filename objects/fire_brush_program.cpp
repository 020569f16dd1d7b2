#include "objects/fire_brush_program.h"

#include <algorithm>
#include <memory>

#include "objects/blank_texels.h"
#include "objects/effect_program_values.h"
#include "objects/red_extremes.h"

// The block is compiled once per instruction set below (its loops then run on the widest
// registers the machine has); what it reads is declared once, here.
#ifndef OBJECTS_FIRE_BRUSH_PROGRAM_ONCE
#define OBJECTS_FIRE_BRUSH_PROGRAM_ONCE
namespace fire_program {

constexpr DWORD kPatternStage = 0;
constexpr DWORD kNoiseStage = 1;
constexpr DWORD kMaskStage = 2;
constexpr int kLanes = d3d9::kBlockPixels;
// The noise moves the shape lookup by (n - 0.5) x 0.2 along both axes, n the mean of three noise
// reds; with reds in 0..1 the move is at most this far either way.
constexpr float kWobble = 0.2f;
constexpr float kReach = 0.5f * kWobble;

// Held to 0..1; not-a-number stays not-a-number.
inline float Saturate(float x) { return std::clamp(x, 0.0f, 1.0f); }

struct FireParameters {
  float shift[3];
  float k1[3];
  float k2[3];
  float density;
  float gain;
  bool masked;
  // Where the shape is 0 all around a block, its flames are nowhere: null when that cannot be told.
  std::shared_ptr<const BlankTexels> blankShape;
  // The reds the noise lookups of a block can read, which bound how far they move the shape
  // lookups: null where only 0..1 is known.
  std::shared_ptr<const RedExtremes> noiseReds;
};

// The lowest and highest coordinates of a block's covered lanes.
struct Bounds {
  float uLow, uHigh, vLow, vHigh;
};

// True when the shape lookups of every covered lane of the block, whose coordinates lie within
// `b`, read a red of +0 wherever the noise moves them, through the shape stage's address modes and
// border colour.
inline bool ShapeBlank(const FireParameters& p, const Bounds& b, const d3d9::TextureSampler& sampler) {
  const auto [uLow, uHigh, vLow, vHigh] = b;
  // Rounding keeps order, so u + a move of at most kReach lies between these.
  const BlankTexels& shape = *p.blankShape;
  const d3d9::TextureView& shapeStage = *sampler.View(kPatternStage);
  if (shape.Blank(uLow - kReach, uHigh + kReach, vLow - kReach, vHigh + kReach, shapeStage)) return true;
  // Nearer the flames, the reds the noise lookups can read may bound the move more tightly. Where
  // the unmoved lookups already read red the moved ones mostly do too: the noise is not gone into.
  if (!p.noiseReds || !shape.Blank(uLow, uHigh, vLow, vHigh, shapeStage)) return false;
  // The lookups' coordinates, the mean n and the move are reckoned below as the block reckons
  // them, and rounding keeps order: every lane's move lies between these, and so does its lookup.
  const d3d9::TextureView& noise = *sampler.View(kNoiseStage);
  float nLow = 0.0f;
  float nHigh = 0.0f;
  float scale = 1.0f;
  for (float shift : p.shift) {
    float low = 0.0f;
    float high = 0.0f;
    if (!p.noiseReds->Reds(uLow * scale, uHigh * scale, vLow * scale + shift, vHigh * scale + shift, noise, low, high))
      return false;
    nLow += low;
    nHigh += high;
    scale *= 2.0f;
  }
  const float moveLow = (nLow / 3.0f - 0.5f) * kWobble;
  const float moveHigh = (nHigh / 3.0f - 0.5f) * kWobble;
  return shape.Blank(uLow + moveLow, uHigh + moveHigh, vLow + moveLow, vHigh + moveHigh, shapeStage);
}

}  // namespace fire_program
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "objects/fire_brush_program.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace fire_program {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// The bounds of the coordinates of the block's covered lanes; false where one is not finite.
HWY_INLINE bool CoveredBounds(const d3d9::PixelBlock& in, Bounds& b) {
  const hn::ScalableTag<float> d;
  const size_t lanes = hn::Lanes(d);
  const size_t count = static_cast<size_t>(in.count);
  const auto u0 = hn::Set(d, in.u[0][0]);
  const auto v0 = hn::Set(d, in.v[0][0]);
  auto uLow = u0, uHigh = u0, vLow = v0, vHigh = v0;
  for (size_t i = 0; i < count; i += lanes) {
    // The lanes past the covered ones count as the first, which is covered.
    const auto covered = hn::FirstN(d, count - i);
    const auto u = hn::IfThenElse(covered, hn::LoadU(d, in.u[0] + i), u0);
    const auto v = hn::IfThenElse(covered, hn::LoadU(d, in.v[0] + i), v0);
    if (!hn::AllTrue(d, hn::And(hn::IsFinite(u), hn::IsFinite(v)))) return false;
    uLow = hn::Min(uLow, u);
    uHigh = hn::Max(uHigh, u);
    vLow = hn::Min(vLow, v);
    vHigh = hn::Max(vHigh, v);
  }
  b = {hn::GetLane(hn::MinOfLanes(d, uLow)), hn::GetLane(hn::MaxOfLanes(d, uHigh)),
       hn::GetLane(hn::MinOfLanes(d, vLow)), hn::GetLane(hn::MaxOfLanes(d, vHigh))};
  return true;
}

void FlameBlock(const FireParameters& p, const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler,
                d3d9::ColorBlock& out) {
  float red[kLanes];
  float s[kLanes];
  Bounds bounds;
  if (p.blankShape && in.count > 0 && CoveredBounds(in, bounds) && ShapeBlank(p, bounds, sampler)) {
    // The shape reads +0 in every lane, so the strength is +0 whatever the noise: the three noise
    // lookups and the shape lookup are left out.
    for (int i = 0; i < kLanes; ++i) s[i] = 0.0f;
  } else {
    float u[kLanes];
    float v[kLanes];
    float n[kLanes];
    for (int i = 0; i < kLanes; ++i) n[i] = 0.0f;
    float scale = 1.0f;
    for (float shift : p.shift) {
      for (int i = 0; i < kLanes; ++i) {
        u[i] = in.u[0][i] * scale;
        v[i] = in.v[0][i] * scale + shift;
      }
      sampler.SampleRed(kNoiseStage, u, v, red);
      for (int i = 0; i < kLanes; ++i) n[i] += red[i];
      scale *= 2.0f;
    }
    for (int i = 0; i < kLanes; ++i) {
      n[i] /= 3.0f;
      const float wobble = (n[i] - 0.5f) * kWobble;
      u[i] = in.u[0][i] + wobble;
      v[i] = in.v[0][i] + wobble;
    }
    sampler.SampleRed(kPatternStage, u, v, red);
    for (int i = 0; i < kLanes; ++i) s[i] = Saturate(red[i] * (n[i] + 0.5f + p.density));
  }
  if (p.masked) {
    sampler.SampleRed(kMaskStage, in.u[0], in.v[0], red);
    for (int i = 0; i < kLanes; ++i) out.a[i] = s[i] * red[i];
  } else {
    for (int i = 0; i < kLanes; ++i) out.a[i] = s[i];
  }
  for (int i = 0; i < kLanes; ++i) {
    out.r[i] = Saturate((p.k1[0] + p.k2[0] * s[i]) * p.gain);
    out.g[i] = Saturate((p.k1[1] + p.k2[1] * s[i]) * p.gain);
    out.b[i] = Saturate((p.k1[2] + p.k2[2] * s[i]) * p.gain);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace fire_program
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace fire_program {
HWY_EXPORT(FlameBlock);
}  // namespace fire_program

using effect_values::Floats;
using effect_values::HasTexture;

namespace {

// True when every noise lookup reads a red in 0..1: an unsigned texture, or none (black).
bool NoiseWithinZeroToOne(const std::vector<d3dx9::EffectValue>& values) {
  for (const d3dx9::EffectValue& v : values) {
    if (!v.parameter || v.parameter->name != "Noise") continue;
    if (!v.texture) return true;
    if (v.texture->GetType() != D3DRTYPE_TEXTURE) return false;
    D3DSURFACE_DESC desc{};
    if (FAILED(static_cast<IDirect3DTexture9*>(v.texture)->GetLevelDesc(0, &desc))) return false;
    return desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_R5G6B5 ||
           desc.Format == D3DFMT_A1R5G5B5 || desc.Format == D3DFMT_A8;
  }
  return true;
}

IDirect3DBaseTexture9* BoundTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name) {
  for (const d3dx9::EffectValue& v : values)
    if (v.parameter && v.parameter->name == name) return v.texture;
  return nullptr;
}

}  // namespace

d3d9::PixelProgram FireFlameProgram(const std::vector<d3dx9::EffectValue>& values) {
  fire_program::FireParameters p{};
  p.shift[0] = Floats(values, "c11", 2)[1];
  p.shift[1] = Floats(values, "c12", 2)[1];
  p.shift[2] = Floats(values, "c13", 2)[1];
  const std::vector<float> k1 = Floats(values, "ColorK1", 3);
  const std::vector<float> k2 = Floats(values, "ColorK2", 3);
  std::copy(k1.begin(), k1.end(), p.k1);
  std::copy(k2.begin(), k2.end(), p.k2);
  p.density = Floats(values, "Density", 1)[0];
  p.gain = 0.7f + Floats(values, "Brightness", 1)[0];
  // An unbound stage reads black, which would hide every flame: without a mask nothing is masked.
  p.masked = HasTexture(values, "Mask");
  // A shape red of +0 gives a strength of +0 only where the factor it is multiplied by is above 0:
  // n + 0.5 + Density, with n in 0..1.
  if (p.density > -0.5f && NoiseWithinZeroToOne(values)) {
    p.blankShape = std::make_shared<const BlankTexels>(
        BlankTexels::Of(BoundTexture(values, "Pattern"), BlankTexels::Channel::kRed));
    p.noiseReds = std::make_shared<const RedExtremes>(RedExtremes::Of(BoundTexture(values, "Noise")));
  }
  return [p](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    HWY_DYNAMIC_DISPATCH(fire_program::FlameBlock)(p, in, sampler, out);
  };
}
#endif  // HWY_ONCE
