// Texel layouts of the formats the device stores: size, reading one texel as a colour and writing one.
#pragma once
#include <cstdint>

#include <d3d9types.h>

#include "platform/d3d9/color.h"

namespace d3d9 {

// Bytes of one texel, or 0 for a format the device cannot store as pixels.
UINT BytesPerTexel(D3DFORMAT format);

bool IsDepthFormat(D3DFORMAT format);
// Formats a texture or an offscreen surface can hold.
bool IsTextureFormat(D3DFORMAT format);
// Formats the device can render into.
bool IsRenderTargetFormat(D3DFORMAT format);

// One texel as a colour: formats without alpha read alpha 1; A8 reads black with its alpha; V8U8 and
// V16U16 read their signed components (-1..1) as r (U) and g (V), with b and a 1.
Color DecodeTexel(D3DFORMAT format, const uint8_t* texel);

// Writes a colour (clamped to 0..1, rounded to the nearest step) in the layout of a colour format.
void EncodeTexel(D3DFORMAT format, const Color& color, uint8_t* texel);

// A channel as a byte, held to 0..1 (not-a-number gives 0) and rounded. Held by selections rather
// than branches: the colours of neighbouring pixels cross 0 and 1 too often to predict.
inline uint8_t ToByte(float value) {
  const float low = value > 0.f ? value : 0.f;
  const float held = low < 1.f ? low : 1.f;
  return static_cast<uint8_t>(held * 255.f + 0.5f);
}

}  // namespace d3d9
