#include "objects/effect_program_values.h"

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

}  // namespace effect_values
