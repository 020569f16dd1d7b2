// Reading an effect pass's bound parameter values inside a native pixel program, and the small
// arithmetic the screen brushes' programs share.
#pragma once
#include <string>
#include <vector>

#include "platform/d3d9/color.h"
#include "platform/d3dx9/effect.h"

namespace effect_values {

// The parameter's floats padded or cut to `count`; zeros when the effect does not declare it.
std::vector<float> Floats(const std::vector<d3dx9::EffectValue>& values, const std::string& name, size_t count);
// True when the effect declares the texture parameter and a texture is bound to it.
bool HasTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name);

// The fractional part, in 0..1: a repeating lookup. A coordinate that is not finite (an infinite
// tile count) reads the start of the picture instead of an undefined place.
float Wrap(float x);
// Held to 0..1; not-a-number gives 0.
float Saturate(float x);
// a + (b - a) x t for every channel.
d3d9::Color Lerp(const d3d9::Color& a, const d3d9::Color& b, float t);

}  // namespace effect_values
