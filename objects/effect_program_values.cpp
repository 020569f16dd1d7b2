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

float Mirror(float x) {
  if (!std::isfinite(x)) return 0.0f;
  const float period = x - 2.0f * std::floor(x * 0.5f);  // 0..2
  return period <= 1.0f ? period : 2.0f - period;
}

bool SignedTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name) {
  for (const d3dx9::EffectValue& v : values) {
    if (!v.parameter || v.parameter->name != name) continue;
    if (!v.texture || v.texture->GetType() != D3DRTYPE_TEXTURE) return false;
    D3DSURFACE_DESC desc{};
    if (FAILED(static_cast<IDirect3DTexture9*>(v.texture)->GetLevelDesc(0, &desc))) return false;
    return desc.Format == D3DFMT_V8U8 || desc.Format == D3DFMT_V16U16;
  }
  return false;
}

float Saturate(float x) { return x > 0.0f ? std::min(x, 1.0f) : 0.0f; }

d3d9::Color Lerp(const d3d9::Color& a, const d3d9::Color& b, float t) {
  return d3d9::Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

}  // namespace effect_values
