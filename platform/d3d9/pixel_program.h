// The seam through which an effect pass runs a native pixel program inside the software device.
//
// While a program is bound, it replaces the texture stages. The device hands it the covered pixels
// of a row a block at a time: for each pixel the interpolated diffuse colour and the texture
// coordinates of each stage, and a sampler over the bound textures (SetTexture with the stage's
// sampler states). The colours it writes then go through the rest of the pixel stage as the stages'
// output would: the specular sum when D3DRS_SPECULARENABLE is on, the alpha test, depth, blending
// and the colour-write mask, all from the device's render states.
//
// A block at a time, because a program called per pixel spent more on the call, on building its
// inputs and on sampling one texel at a time than on its own arithmetic: over a block the program's
// loops run a fixed length the compiler vectorises, and the sampler reads many texels per register.
//
// Rows of the target are rendered on several threads at once, so a program is called concurrently
// and must only read what it captured (the effect's parameters, copied when the pass begins).
#pragma once
#include <functional>

#include <d3d9.h>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/texture_view.h"

namespace d3d9 {

// A program is handed the coordinates of this many stages.
constexpr int kProgramStages = 4;
// Pixels in a block: a multiple of the widest register's lanes.
constexpr int kBlockPixels = 64;

// Pixels x .. x + kBlockPixels - 1 of row y, one array per value. The first `count` are covered;
// the lanes after them continue the row's planes beyond the triangle, so that a program may run
// every loop over all kBlockPixels lanes. What it writes there is thrown away.
struct PixelBlock {
  int x = 0;
  int y = 0;
  int count = 0;
  alignas(64) float diffuse[4][kBlockPixels];  // red, green, blue, alpha
  alignas(64) float u[kProgramStages][kBlockPixels];
  alignas(64) float v[kProgramStages][kBlockPixels];
};

// A colour per lane of a block.
struct ColorBlock {
  alignas(64) float r[kBlockPixels];
  alignas(64) float g[kBlockPixels];
  alignas(64) float b[kBlockPixels];
  alignas(64) float a[kBlockPixels];
};

// Samples the textures bound to the stages, as each stage's sampler states say, exactly as the
// texture stages would read them.
class TextureSampler {
 public:
  explicit TextureSampler(const TextureView* views) : views_(views) {}
  // The texel of `stage` at (u[i], v[i]) into lane i of `out`, for every lane of a block. An
  // unbound stage reads opaque black.
  void Sample(DWORD stage, const float* u, const float* v, ColorBlock& out) const;
  // Sample's red alone, for the many lookups that read one channel (noise, masks, shapes): the
  // other channels are neither decoded nor filtered.
  void SampleRed(DWORD stage, const float* u, const float* v, float* red) const;
  // Sample's red and green alone, for the lookups of two-channel offsets (bump maps).
  void SampleRedGreen(DWORD stage, const float* u, const float* v, float* red, float* green) const;
  // The texture and sampler states `stage` reads (null past the last stage), for a program that
  // tells from the address modes and the border colour which texels its lookups can reach.
  const TextureView* View(DWORD stage) const { return stage < kStageCount ? &views_[stage] : nullptr; }

 private:
  const TextureView* views_;
};

using PixelProgram = std::function<void(const PixelBlock&, const TextureSampler&, ColorBlock&)>;

// Binds `program` into the pixel stage of `device` (one of this stand-in's devices); an empty
// program unbinds it and the texture stages apply again.
void SetPixelProgram(IDirect3DDevice9* device, PixelProgram program);

}  // namespace d3d9
