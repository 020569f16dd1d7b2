#include "objects/explosion_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"
#include "platform/d3dx9/effect_programs.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Saturate;
using effect_values::SaturateLane;
using effect_values::WrapLane;

namespace {

constexpr DWORD kGradientStage = 0;
constexpr DWORD kNoiseStage = 1;
constexpr int kLanes = d3d9::kBlockPixels;

const bool g_ExplosionRegistered = d3dx9::RegisterEffectProgram("explosion_fireball", &ExplosionFireballProgram);

struct Fireball {
  float color1[3], color2[3];
  float shift[4];
  float radius, tear, fineness;
  float now, next;  // cross-fade weights of the current and next shift
  float flash;      // 1 at the start of the first phase, 0 after it
  float cooling;    // 0 before the third phase, 1 at its end
  bool gradient, noise;
};

}  // namespace

d3d9::PixelProgram ExplosionFireballProgram(const std::vector<d3dx9::EffectValue>& values) {
  Fireball f{};
  const std::vector<float> c1 = Floats(values, "color1", 3), c2 = Floats(values, "color2", 3);
  const std::vector<float> shift = Floats(values, "noise_shift", 4), params = Floats(values, "noise_params", 3);
  const std::vector<float> time = Floats(values, "time", 2), phase3 = Floats(values, "phase_3rd", 2);
  for (int i = 0; i < 3; ++i) f.color1[i] = Saturate(c1[i]), f.color2[i] = Saturate(c2[i]);
  for (int i = 0; i < 4; ++i) f.shift[i] = std::isfinite(shift[i]) ? shift[i] : 0.0f;
  // A radius near zero would divide the heat by nothing; the smallest fireball is a spark.
  f.radius = std::max(0.05f, std::isfinite(params[0]) ? params[0] : 0.05f);
  f.tear = std::clamp(params[1], 0.0f, 1.0f);
  f.fineness = std::clamp(params[2], 0.0f, 4.0f);
  f.next = Saturate(time[0]);
  f.now = 1.0f - f.next;
  f.flash = Saturate(Floats(values, "phase_1st", 1)[0] * 0.5f);
  f.cooling = Saturate(phase3[0]);
  f.gradient = HasTexture(values, "GradientTex");
  f.noise = HasTexture(values, "NoiseTex");
  return [f](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    float r[kLanes];
    for (int i = 0; i < kLanes; ++i) {
      const float dx = in.u[0][i] - 0.5f, dy = in.v[0][i] - 0.5f;
      r[i] = dx * dx + dy * dy;
    }
    for (int i = 0; i < kLanes; ++i) r[i] = std::sqrt(r[i]) * 2.0f;
    float turbulence[kLanes];
    if (f.noise) {
      const float tile = 1.0f + f.fineness;
      float u[kLanes];
      float v[kLanes];
      float a[kLanes];
      float b[kLanes];
      for (int i = 0; i < kLanes; ++i) {
        u[i] = WrapLane(in.u[0][i] * tile + f.shift[0]);
        v[i] = WrapLane(in.v[0][i] * tile + f.shift[1]);
      }
      sampler.SampleRed(kNoiseStage, u, v, a);
      for (int i = 0; i < kLanes; ++i) {
        u[i] = WrapLane(in.u[0][i] * tile + f.shift[2]);
        v[i] = WrapLane(in.v[0][i] * tile + f.shift[3]);
      }
      sampler.SampleRed(kNoiseStage, u, v, b);
      for (int i = 0; i < kLanes; ++i) turbulence[i] = Saturate(a[i] * f.now + b[i] * f.next);
    } else {
      std::fill(turbulence, turbulence + kLanes, 0.5f);
    }
    float body[kLanes];
    float heat[kLanes];
    const float kept = 1.0f - 0.85f * f.cooling;
    for (int i = 0; i < kLanes; ++i) {
      const float torn = r[i] + (turbulence[i] - 0.5f) * 2.0f * f.tear;
      body[i] = SaturateLane(1.0f - torn / f.radius);
      heat[i] = Saturate(body[i] * kept + f.flash * body[i]);
    }
    float alpha[kLanes];
    for (int i = 0; i < kLanes; ++i) alpha[i] = in.diffuse[3][i];
    if (f.gradient) {
      float middle[kLanes];
      std::fill(middle, middle + kLanes, 0.5f);
      sampler.Sample(kGradientStage, heat, middle, out);
    } else {
      for (int i = 0; i < kLanes; ++i) {
        out.r[i] = heat[i];
        out.g[i] = heat[i] * heat[i];
        out.b[i] = heat[i] * heat[i] * heat[i];
        out.a[i] = Saturate(heat[i] * 2.0f);
      }
    }
    // The noise eats the cloud from its thin parts first, until at the end of the third phase none is left.
    float left[kLanes];
    if (f.cooling > 0.0f) {
      for (int i = 0; i < kLanes; ++i) left[i] = Saturate((turbulence[i] + 0.25f - 1.25f * f.cooling) * 4.0f);
    } else {
      std::fill(left, left + kLanes, 1.0f);
    }
    for (int i = 0; i < kLanes; ++i) {
      const float fire[3] = {out.r[i] * f.color1[0], out.g[i] * f.color1[1], out.b[i] * f.color1[2]};
      // Smoke takes over where the heat has gone, shaded by the turbulence.
      const float smoke = f.cooling * (1.0f - heat[i]);
      const float shade = 0.4f + 0.6f * turbulence[i];
      out.r[i] = fire[0] + (f.color2[0] * shade - fire[0]) * smoke;
      out.g[i] = fire[1] + (f.color2[1] * shade - fire[1]) * smoke;
      out.b[i] = fire[2] + (f.color2[2] * shade - fire[2]) * smoke;
      const float solid = std::max(out.a[i], SaturateLane(body[i] * 3.0f) * f.cooling);
      out.a[i] = Saturate(solid * left[i] * alpha[i]);
    }
  };
}
