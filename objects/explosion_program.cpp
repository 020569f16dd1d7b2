#include "objects/explosion_program.h"

#include <algorithm>
#include <cmath>

#include "objects/effect_program_values.h"
#include "platform/d3dx9/effect_programs.h"

using effect_values::Floats;
using effect_values::HasTexture;
using effect_values::Saturate;
using effect_values::Wrap;

namespace {

constexpr DWORD kGradientStage = 0;
constexpr DWORD kNoiseStage = 1;

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
  return effect_values::PerPixel([f](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0], v = in.texcoord[0][1];
    const float dx = u - 0.5f, dy = v - 0.5f;
    const float r = std::sqrt(dx * dx + dy * dy) * 2.0f;
    float turbulence = 0.5f;
    if (f.noise) {
      const float tile = 1.0f + f.fineness;
      const float a = sampler.Sample(kNoiseStage, Wrap(u * tile + f.shift[0]), Wrap(v * tile + f.shift[1])).r;
      const float b = sampler.Sample(kNoiseStage, Wrap(u * tile + f.shift[2]), Wrap(v * tile + f.shift[3])).r;
      turbulence = Saturate(a * f.now + b * f.next);
    }
    const float torn = r + (turbulence - 0.5f) * 2.0f * f.tear;
    const float body = Saturate(1.0f - torn / f.radius);
    const float heat = Saturate(body * (1.0f - 0.85f * f.cooling) + f.flash * body);
    d3d9::Color fire;
    if (f.gradient) {
      fire = sampler.Sample(kGradientStage, heat, 0.5f);
    } else {
      fire = d3d9::Color{heat, heat * heat, heat * heat * heat, Saturate(heat * 2.0f)};
    }
    fire.r *= f.color1[0], fire.g *= f.color1[1], fire.b *= f.color1[2];
    // Smoke takes over where the heat has gone, shaded by the turbulence.
    const float smoke = f.cooling * (1.0f - heat);
    const float shade = 0.4f + 0.6f * turbulence;
    d3d9::Color out{fire.r + (f.color2[0] * shade - fire.r) * smoke, fire.g + (f.color2[1] * shade - fire.g) * smoke,
                    fire.b + (f.color2[2] * shade - fire.b) * smoke, 0.0f};
    const float solid = std::max(fire.a, Saturate(body * 3.0f) * f.cooling);
    // The noise eats the cloud from its thin parts first, until at the end of the third phase none is left.
    const float left = f.cooling > 0.0f ? Saturate((turbulence + 0.25f - 1.25f * f.cooling) * 4.0f) : 1.0f;
    out.a = Saturate(solid * left * in.diffuse.a);
    return out;
  });
}
