#include "platform/d3d9/raster_wide.h"

#include "platform/d3d9/raster_wide_rows.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "platform/d3d9/raster_wide.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

#include "platform/d3d9/raster_wide-inl.h"

HWY_BEFORE_NAMESPACE();
namespace d3d9 {
namespace HWY_NAMESPACE {

// A texture's lookups at every lane of a block, each register's texels handed to `store` with the
// index of its first lane. What `store` does not keep is neither decoded nor weighed.
template <class Store>
HWY_INLINE void SampleLanes(const TextureView& view, const float* u, const float* v, Store store) {
  const DF df;
  const size_t lanes = hn::Lanes(df);
  const Texture texture(view);
  const bool linear = view.magFilter == D3DTEXF_LINEAR || view.minFilter == D3DTEXF_LINEAR;
  const MF valid = hn::FirstN(df, lanes);
  for (size_t i = 0; i < kBlockPixels; i += lanes) {
    store(i, texture.Sample(df, hn::LoadU(df, u + i), hn::LoadU(df, v + i), valid, lanes, linear));
  }
}

void SampleBlockOn(const TextureView& view, const float* u, const float* v, ColorBlock& out) {
  const DF df;
  SampleLanes(view, u, v, [&](size_t i, const Channels& c) {
    hn::Store(c.c[2], df, out.r + i);
    hn::Store(c.c[1], df, out.g + i);
    hn::Store(c.c[0], df, out.b + i);
    hn::Store(c.c[3], df, out.a + i);
  });
}

void SampleBlockRedOn(const TextureView& view, const float* u, const float* v, float* red) {
  const DF df;
  SampleLanes(view, u, v, [&](size_t i, const Channels& c) { hn::StoreU(c.c[2], df, red + i); });
}

void SampleBlockRedGreenOn(const TextureView& view, const float* u, const float* v, float* red, float* green) {
  const DF df;
  SampleLanes(view, u, v, [&](size_t i, const Channels& c) {
    hn::StoreU(c.c[2], df, red + i);
    hn::StoreU(c.c[1], df, green + i);
  });
}

}  // namespace HWY_NAMESPACE
}  // namespace d3d9
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace d3d9 {

HWY_EXPORT(SampleBlockOn);
HWY_EXPORT(SampleBlockRedOn);
HWY_EXPORT(SampleBlockRedGreenOn);

void SampleBlockRed(const TextureView& view, const float* u, const float* v, float* red) {
  HWY_DYNAMIC_DISPATCH(SampleBlockRedOn)(view, u, v, red);
}

void SampleBlockRedGreen(const TextureView& view, const float* u, const float* v, float* red, float* green) {
  HWY_DYNAMIC_DISPATCH(SampleBlockRedGreenOn)(view, u, v, red, green);
}

void SampleBlock(const TextureView& view, const float* u, const float* v, ColorBlock& out) {
  HWY_DYNAMIC_DISPATCH(SampleBlockOn)(view, u, v, out);
}

void WideRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count) {
  if (pixels.program != nullptr) {
    ProgramRows(pixels, triangle, top, spans, count);
  } else if (pixels.span.rich && pixels.blend) {
    if (pixels.depth != nullptr) {
      RichBlendedDepthRows(pixels, triangle, top, spans, count);
    } else {
      RichBlendedNoDepthRows(pixels, triangle, top, spans, count);
    }
  } else if (pixels.span.rich) {
    if (pixels.depth != nullptr) {
      RichOpaqueDepthRows(pixels, triangle, top, spans, count);
    } else {
      RichOpaqueNoDepthRows(pixels, triangle, top, spans, count);
    }
  } else if (!pixels.span.texel) {
    UntexturedRows(pixels, triangle, top, spans, count);
  } else if (triangle.linear[0]) {
    LinearRows(pixels, triangle, top, spans, count);
  } else {
    PointRows(pixels, triangle, top, spans, count);
  }
}

std::vector<std::string> WideTargets() {
  std::vector<std::string> names;
  for (const int64_t target : hwy::SupportedAndGeneratedTargets()) names.emplace_back(hwy::TargetName(target));
  return names;
}

void UseWideTarget(const std::string& name) {
  int64_t chosen = 0;
  hwy::SetSupportedTargetsForTest(0);
  for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
    if (name == hwy::TargetName(target)) chosen = target;
  }
  hwy::SetSupportedTargetsForTest(chosen);
  hwy::GetChosenTarget().Update(hwy::SupportedTargets());
}

}  // namespace d3d9
#endif
