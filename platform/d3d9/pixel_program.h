// The seam through which an effect pass runs a native pixel program inside the software device.
//
// While a program is bound, it replaces the texture stages: for every covered pixel the device hands
// it the interpolated inputs (diffuse and specular colour, the texture coordinates of each stage after
// generation and the texture matrix) and a sampler over the bound textures (SetTexture with the
// stage's sampler states). The colour it returns then goes through the rest of the pixel stage as the
// stages' output would: the specular sum when D3DRS_SPECULARENABLE is on, the alpha test, depth,
// blending and the colour-write mask, all from the device's render states.
//
// Rows of the target are rendered on several threads at once, so a program is called concurrently
// and must only read what it captured (the effect's parameters, copied when the pass begins).
#pragma once
#include <functional>

#include <d3d9.h>

#include "platform/d3d9/color.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/texture_view.h"

namespace d3d9 {

struct PixelInput {
  int x = 0;  // the pixel
  int y = 0;
  Color diffuse;
  Color specular;
  float texcoord[kStageCount][2] = {};
};

// Samples the texture bound to a stage, as that stage's sampler states say. An unbound stage reads
// opaque black.
class TextureSampler {
 public:
  explicit TextureSampler(const TextureView* views) : views_(views) {}
  // Inline: a program samples several times a pixel, and the call would cost as much as a texel.
  Color Sample(DWORD stage, float u, float v) const {
    if (stage >= kStageCount || !views_[stage].bound()) return Color{0.f, 0.f, 0.f, 1.f};
    const TextureView& view = views_[stage];
    return view.Sample(u, v, view.magFilter == D3DTEXF_LINEAR || view.minFilter == D3DTEXF_LINEAR);
  }

 private:
  const TextureView* views_;
};

using PixelProgram = std::function<Color(const PixelInput&, const TextureSampler&)>;

// Binds `program` into the pixel stage of `device` (one of this stand-in's devices); an empty
// program unbinds it and the texture stages apply again.
void SetPixelProgram(IDirect3DDevice9* device, PixelProgram program);

}  // namespace d3d9
