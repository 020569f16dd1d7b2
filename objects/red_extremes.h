// The lowest and highest red that lookups over a rectangle of a texture can read, so that a
// program can bound what a lookup's result moves before it makes the lookup.
#pragma once
#include <cstdint>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/texture_view.h"

class RedExtremes {
 public:
  // Level 0 of an A8R8G8B8 or X8R8G8B8 texture, read once. Any other texture, one that cannot be
  // locked or one too large to go through for every pass knows nothing.
  static RedExtremes Of(IDirect3DBaseTexture9* texture);

  // Bounds every red that a point or bilinear lookup through `stage` at any u in uLow .. uHigh and
  // v in vLow .. vHigh reads, the border colour included: low <= red <= high. False when that
  // cannot be told: nothing known, a stage that does not show this texture's size, not-a-number,
  // or a rectangle too many rows tall to be worth going through.
  bool Reds(float uLow, float uHigh, float vLow, float vHigh, const d3d9::TextureView& stage, float& low,
            float& high) const;

 private:
  int width_ = 0;
  int height_ = 0;
  // For each level k, the lowest and highest red byte of texels x .. x + 2^k - 1 of each row, at
  // (k x height + y) x width + x: any run of a row takes two reads of one level.
  std::vector<uint8_t> lowest_;
  std::vector<uint8_t> highest_;
};
