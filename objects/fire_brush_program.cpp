#include "objects/fire_brush_program.h"

#include <algorithm>

#include "objects/effect_program_values.h"

using effect_values::Floats;
using effect_values::HasTexture;

namespace {

constexpr DWORD kPatternStage = 0;
constexpr DWORD kNoiseStage = 1;
constexpr DWORD kMaskStage = 2;
constexpr int kLanes = d3d9::kBlockPixels;

// Held to 0..1; not-a-number stays not-a-number.
float Saturate(float x) { return std::clamp(x, 0.0f, 1.0f); }

struct FireParameters {
  float shift[3];
  float k1[3];
  float k2[3];
  float density;
  float gain;
  bool masked;
};

}  // namespace

d3d9::PixelProgram FireFlameProgram(const std::vector<d3dx9::EffectValue>& values) {
  FireParameters p{};
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
  return [p](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float u[kLanes];
    float v[kLanes];
    float n[kLanes];
    for (int i = 0; i < kLanes; ++i) n[i] = 0.0f;
    float red[kLanes];
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
      const float wobble = (n[i] - 0.5f) * 0.2f;
      u[i] = in.u[0][i] + wobble;
      v[i] = in.v[0][i] + wobble;
    }
    sampler.SampleRed(kPatternStage, u, v, red);
    float s[kLanes];
    for (int i = 0; i < kLanes; ++i) s[i] = Saturate(red[i] * (n[i] + 0.5f + p.density));
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
  };
}
