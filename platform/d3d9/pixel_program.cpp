#include "platform/d3d9/pixel_program.h"

#include "platform/d3d9/raster_wide.h"

namespace d3d9 {

void TextureSampler::Sample(DWORD stage, const float* u, const float* v, ColorBlock& out) const {
  if (stage >= kStageCount || !views_[stage].bound()) {
    for (int i = 0; i < kBlockPixels; ++i) {
      out.r[i] = out.g[i] = out.b[i] = 0.f;
      out.a[i] = 1.f;
    }
    return;
  }
  SampleBlock(views_[stage], u, v, out);
}

void TextureSampler::SampleRed(DWORD stage, const float* u, const float* v, float* red) const {
  if (stage >= kStageCount || !views_[stage].bound()) {
    for (int i = 0; i < kBlockPixels; ++i) red[i] = 0.f;
    return;
  }
  SampleBlockRed(views_[stage], u, v, red);
}

void TextureSampler::SampleRedGreen(DWORD stage, const float* u, const float* v, float* red, float* green) const {
  if (stage >= kStageCount || !views_[stage].bound()) {
    for (int i = 0; i < kBlockPixels; ++i) red[i] = green[i] = 0.f;
    return;
  }
  SampleBlockRedGreen(views_[stage], u, v, red, green);
}

}  // namespace d3d9
