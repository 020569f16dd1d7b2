// Where one channel of a texture is zero, so that a program can leave out the lookups and the work
// whose result a zero there would cancel.
#pragma once
#include <cstdint>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/texture_view.h"

class BlankTexels {
 public:
  enum class Channel { kRed, kAlpha };

  // Level 0 of a 32-bit texture, read once. Any other texture, one that cannot be locked or one
  // too large to go through for every pass knows nothing blank.
  static BlankTexels Of(IDirect3DBaseTexture9* texture, Channel channel);

  // True when every texel that a point or bilinear lookup through `stage` at any u in uLow ..
  // uHigh and v in vLow .. vHigh reads, the border colour included, has the channel +0. The
  // stage's address modes decide which texels a reach across the edges reads; a stage that does
  // not show this texture's size, or not-a-number, is never blank.
  bool Blank(float uLow, float uHigh, float vLow, float vHigh, const d3d9::TextureView& stage) const;

 private:
  // True when no texel of columns x0 .. x1 and rows y0 .. y1 (all included) has the channel above 0.
  bool Zero(int x0, int x1, int y0, int y1) const;

  Channel channel_ = Channel::kRed;
  int width_ = 0;
  int height_ = 0;
  // How many texels with the channel above 0 lie above and left of each corner: (width + 1) x
  // (height + 1) entries, so that a rectangle's count takes four reads. Empty: nothing is known.
  std::vector<uint32_t> above_;
};
