#include "platform/d3d9/surface_rows.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "platform/d3d9/surface_rows.cpp"
#include <hwy/foreach_target.h>  // compiles this file once per instruction set
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace d3d9 {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;

template <class T>
void FillOn(T* to, size_t count, T value) {
  const hn::ScalableTag<T> d;
  const size_t lanes = hn::Lanes(d);
  const auto v = hn::Set(d, value);
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) hn::StoreU(v, d, to + i);
  for (; i < count; ++i) to[i] = value;
}

}  // namespace

void FillRowOn(uint32_t* to, size_t count, uint32_t value) { FillOn(to, count, value); }

void FillDepthRowOn(float* to, size_t count, float value) { FillOn(to, count, value); }

void CopyRowOpaqueOn(uint32_t* to, const uint32_t* from, size_t count) {
  const hn::ScalableTag<uint32_t> d;
  const size_t lanes = hn::Lanes(d);
  const auto opaque = hn::Set(d, 0xff000000u);
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) hn::StoreU(hn::Or(hn::LoadU(d, from + i), opaque), d, to + i);
  for (; i < count; ++i) to[i] = from[i] | 0xff000000u;
}

void ScaleRowOpaqueOn(uint32_t* to, const uint32_t* from, const uint32_t* columns, size_t count) {
  const hn::ScalableTag<uint32_t> d;
  const hn::RebindToSigned<decltype(d)> di;
  const size_t lanes = hn::Lanes(d);
  const auto opaque = hn::Set(d, 0xff000000u);
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) {
    // Columns are below the back buffer's width, at most 16384: they are also signed indices.
    const auto index = hn::BitCast(di, hn::LoadU(d, columns + i));
    hn::StoreU(hn::Or(hn::GatherIndex(d, from, index), opaque), d, to + i);
  }
  for (; i < count; ++i) to[i] = from[columns[i]] | 0xff000000u;
}

}  // namespace HWY_NAMESPACE
}  // namespace d3d9
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace d3d9 {

HWY_EXPORT(FillRowOn);
HWY_EXPORT(FillDepthRowOn);
HWY_EXPORT(CopyRowOpaqueOn);
HWY_EXPORT(ScaleRowOpaqueOn);

void FillRow(uint32_t* to, size_t count, uint32_t value) { HWY_DYNAMIC_DISPATCH(FillRowOn)(to, count, value); }

void FillRow(float* to, size_t count, float value) { HWY_DYNAMIC_DISPATCH(FillDepthRowOn)(to, count, value); }

void CopyRowOpaque(uint32_t* to, const uint32_t* from, size_t count) {
  HWY_DYNAMIC_DISPATCH(CopyRowOpaqueOn)(to, from, count);
}

void ScaleRowOpaque(uint32_t* to, const uint32_t* from, const uint32_t* columns, size_t count) {
  HWY_DYNAMIC_DISPATCH(ScaleRowOpaqueOn)(to, from, columns, count);
}

}  // namespace d3d9
#endif
