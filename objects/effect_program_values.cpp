#include "objects/effect_program_values.h"

#include <algorithm>
#include <cmath>

namespace effect_values {

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

float Wrap(float x) {
  if (!std::isfinite(x)) return 0.0f;
  const float f = x - std::floor(x);
  // A tiny negative x rounds to exactly 1 above; that is the start of the next repeat.
  return f < 1.0f ? f : 0.0f;
}

float Saturate(float x) { return x > 0.0f ? std::min(x, 1.0f) : 0.0f; }

d3d9::Color Lerp(const d3d9::Color& a, const d3d9::Color& b, float t) {
  return d3d9::Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

}  // namespace effect_values
