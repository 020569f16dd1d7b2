// Where one channel of a texture is zero, so that a program can leave out the lookups and the work
// whose result a zero there would cancel.
#pragma once
#include <cstdint>
#include <vector>

#include <d3d9.h>

class BlankTexels {
 public:
  enum class Channel { kRed, kAlpha };

  // Level 0 of a 32-bit texture, read once. Any other texture, one that cannot be locked or one
  // too large to go through for every pass knows nothing blank.
  static BlankTexels Of(IDirect3DBaseTexture9* texture, Channel channel);

  // True when every texel that a point or bilinear lookup at any u in uLow .. uHigh and v in
  // vLow .. vHigh reads has the channel 0. Only lookups that stay a texel away from the texture's
  // edges count as blank: there neither the address modes nor the filter change which texels are
  // read, so the answer holds whatever the stage's sampler states. Not-a-number is never blank.
  bool Blank(float uLow, float uHigh, float vLow, float vHigh) const;

 private:
  int width_ = 0;
  int height_ = 0;
  // How many texels with the channel above 0 lie above and left of each corner: (width + 1) x
  // (height + 1) entries, so that a rectangle's count takes four reads. Empty: nothing is known.
  std::vector<uint32_t> above_;
};
