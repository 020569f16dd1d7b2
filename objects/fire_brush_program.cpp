#include "objects/fire_brush_program.h"

#include "objects/effect_program_values.h"

#include <algorithm>
#include <string>

namespace {

// The parameter's values, or zeros when the effect does not declare it.
std::vector<float> Floats(const std::vector<d3dx9::EffectValue>& values, const std::string& name, size_t count) {
  for (const d3dx9::EffectValue& v : values)
    if (v.parameter && v.parameter->name == name) {
      std::vector<float> out = v.floats;
      out.resize(count, 0.0f);
      return out;
    }
  return std::vector<float>(count, 0.0f);
}

bool HasTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name) {
  for (const d3dx9::EffectValue& v : values)
    if (v.parameter && v.parameter->name == name) return v.texture != nullptr;
  return false;
}

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
  return effect_values::PerPixel([p](const effect_values::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const float u = in.texcoord[0][0];
    const float v = in.texcoord[0][1];
    float n = 0.0f;
    float scale = 1.0f;
    for (float shift : p.shift) {
      n += sampler.Sample(1, u * scale, v * scale + shift).r;
      scale *= 2.0f;
    }
    n /= 3.0f;
    const float wobble = (n - 0.5f) * 0.2f;
    const float shape = sampler.Sample(0, u + wobble, v + wobble).r;
    const float s = Saturate(shape * (n + 0.5f + p.density));
    float alpha = s;
    if (p.masked) alpha *= sampler.Sample(2, u, v).r;
    return d3d9::Color{Saturate((p.k1[0] + p.k2[0] * s) * p.gain), Saturate((p.k1[1] + p.k2[1] * s) * p.gain),
                       Saturate((p.k1[2] + p.k2[2] * s) * p.gain), alpha};
  });
}
