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

// True when the bound texture holds signed offsets (V8U8 or V16U16): a bump map stored signed reads
// its offsets directly, one stored unsigned has its mid-grey as no offset.
bool SignedTexture(const std::vector<d3dx9::EffectValue>& values, const std::string& name);
// The offset a bump texel's channel stands for, from -1 to 1.
inline float BumpOffset(float channel, bool isSigned) { return isSigned ? channel : 2.0f * channel - 1.0f; }

// The fractional part, in 0..1: a repeating lookup. A coordinate that is not finite (an infinite
// tile count) reads the start of the picture instead of an undefined place.
float Wrap(float x);
// A mirrored repeat, in 0..1: 1.25 reads 0.75, as a sampler in mirror mode reads a picture's copies.
// A coordinate that is not finite reads the start of the picture.
float Mirror(float x);
// Held to 0..1; not-a-number gives 0.
float Saturate(float x);
// a + (b - a) x t for every channel.
d3d9::Color Lerp(const d3d9::Color& a, const d3d9::Color& b, float t);

}  // namespace effect_values
