// What every family of wide rows and the block sampler share, for the instruction set being
// compiled: lane helpers, the texture sampler, blending factors and the row templates. Included once
// per instruction set by each file that compiles a family (raster_wide_rows.inc) and by
// raster_wide.cpp, so that the families compile as translation units of their own, in parallel.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/d3d9/raster.h"
#include "platform/d3d9/resources.h"

// Included once per instruction set: the guard flips with each one.
#if defined(COPPERLEAF_D3D9_RASTER_WIDE_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef COPPERLEAF_D3D9_RASTER_WIDE_INL_H_
#undef COPPERLEAF_D3D9_RASTER_WIDE_INL_H_
#else
#define COPPERLEAF_D3D9_RASTER_WIDE_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace d3d9 {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;

using DF = hn::ScalableTag<float>;
using DI = hn::RebindToSigned<DF>;
using DU = hn::RebindToUnsigned<DF>;
using VF = hn::Vec<DF>;
using VI = hn::Vec<DI>;
using VU = hn::Vec<DU>;
using MF = hn::Mask<DF>;

constexpr float kInv255 = 1.f / 255.f;
// Far-out coordinates are held where the texel index cannot overflow, as TextureView::Sample does.
constexpr float kLimit = 1 << 20;
constexpr size_t kMostLanes = HWY_MAX_BYTES / sizeof(float);

// Four channels of a group of pixels, in the byte order of a 32-bit pixel: blue, green, red, alpha.
struct Channels {
  VF c[4];
};

// n values from `from` (n at most a register's lanes); the rest read as zero.
template <class D, class T>
HWY_INLINE hn::Vec<D> LoadPart(D d, const T* from, size_t n) {
  if (n == hn::Lanes(d)) return hn::LoadU(d, from);
  HWY_ALIGN T lanes[kMostLanes] = {};
  std::memcpy(lanes, from, n * sizeof(T));
  return hn::Load(d, lanes);
}

template <class D, class T>
HWY_INLINE void StorePart(D d, hn::Vec<D> v, T* to, size_t n) {
  if (n == hn::Lanes(d)) {
    hn::StoreU(v, d, to);
    return;
  }
  HWY_ALIGN T lanes[kMostLanes];
  hn::Store(v, d, lanes);
  std::memcpy(to, lanes, n * sizeof(T));
}

HWY_INLINE VF Hold(DF df, VF f) {
#if HWY_ARCH_X86 && HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128
  // The instructions' minimum and maximum give their second operand where either is NaN, so a NaN
  // passes on to be made 0.
  f = hn::Min(hn::Set(df, kLimit), hn::Max(hn::Set(df, -kLimit), f));
#else
  f = hn::IfThenElse(hn::Lt(f, hn::Set(df, -kLimit)), hn::Set(df, -kLimit), f);
  f = hn::IfThenElse(hn::Gt(f, hn::Set(df, kLimit)), hn::Set(df, kLimit), f);
#endif
  return hn::IfThenElseZero(hn::Eq(f, f), f);  // NaN to 0
}

// std::floor of values within +-kLimit, as integers.
HWY_INLINE VI FloorToInt(DF df, VF f) {
  const DI di;
#if HWY_ARCH_X86 && HWY_TARGET <= HWY_SSE4
  (void)df;
  return hn::ConvertTo(di, hn::Floor(f));  // one rounding instruction
#else
  const VI i = hn::ConvertTo(di, f);
  const MF above = hn::Gt(hn::ConvertTo(df, i), f);
  return hn::IfThenElse(hn::RebindMask(di, above), hn::Sub(i, hn::Set(di, 1)), i);
#endif
}

// v < 0 ? 0 : (v > 1 ? 1 : v), NaN kept.
HWY_INLINE VF Clamp01(DF df, VF v) {
  v = hn::IfThenElse(hn::Lt(v, hn::Zero(df)), hn::Zero(df), v);
  return hn::IfThenElse(hn::Gt(v, hn::Set(df, 1.f)), hn::Set(df, 1.f), v);
}

// ToByte of each lane.
HWY_INLINE VI ToBytes(DF df, VF v) {
  VF held = hn::IfThenElseZero(hn::Gt(v, hn::Zero(df)), v);
  held = hn::IfThenElse(hn::Ge(v, hn::Set(df, 1.f)), hn::Set(df, 1.f), held);
  return hn::ConvertTo(DI(), hn::Add(hn::Mul(held, hn::Set(df, 255.f)), hn::Set(df, 0.5f)));
}

HWY_INLINE Channels Decode(DF df, VU pixels) {
  const DU du;
  const DI di;
  const VU byte = hn::Set(du, 0xffu);
  const VF scale = hn::Set(df, kInv255);
  Channels out;
  out.c[0] = hn::Mul(hn::ConvertTo(df, hn::BitCast(di, hn::And(pixels, byte))), scale);
  out.c[1] = hn::Mul(hn::ConvertTo(df, hn::BitCast(di, hn::And(hn::ShiftRight<8>(pixels), byte))), scale);
  out.c[2] = hn::Mul(hn::ConvertTo(df, hn::BitCast(di, hn::And(hn::ShiftRight<16>(pixels), byte))), scale);
  out.c[3] = hn::Mul(hn::ConvertTo(df, hn::BitCast(di, hn::ShiftRight<24>(pixels))), scale);
  return out;
}

HWY_INLINE VU Encode(DF df, const Channels& color) {
  const DU du;
  VU pixel = hn::BitCast(du, ToBytes(df, color.c[0]));
  pixel = hn::Or(pixel, hn::ShiftLeft<8>(hn::BitCast(du, ToBytes(df, color.c[1]))));
  pixel = hn::Or(pixel, hn::ShiftLeft<16>(hn::BitCast(du, ToBytes(df, color.c[2]))));
  return hn::Or(pixel, hn::ShiftLeft<24>(hn::BitCast(du, ToBytes(df, color.c[3]))));
}

HWY_INLINE hn::Mask<DF> Compare(DF df, DWORD func, VF value, VF reference) {
  switch (func) {
    case D3DCMP_NEVER: return hn::FirstN(df, 0);
    case D3DCMP_LESS: return hn::Lt(value, reference);
    case D3DCMP_EQUAL: return hn::Eq(value, reference);
    case D3DCMP_LESSEQUAL: return hn::Le(value, reference);
    case D3DCMP_GREATER: return hn::Gt(value, reference);
    case D3DCMP_NOTEQUAL: return hn::Ne(value, reference);
    case D3DCMP_GREATEREQUAL: return hn::Ge(value, reference);
    default: return hn::FirstN(df, hn::Lanes(df));
  }
}

// i mod n in 0..n-1 (n > 0) for |i| <= 2^21, as texel indices are held: the float quotient is
// then floored exactly (a quotient just below an integer k lies at least 1/n below it, more than
// the rounding error k * 2^-24 <= 2^-3 / n), so no correction is needed.
HWY_INLINE VI Modulo(VI i, int n) {
  const DF df;
  const DI di;
  const VI q = hn::ConvertTo(di, hn::Floor(hn::Div(hn::ConvertTo(df, i), hn::Set(df, static_cast<float>(n)))));
  return hn::Sub(i, hn::Mul(q, hn::Set(di, n)));
}

// Address() of each lane: the texel index the address mode gives, -1 for the border.
HWY_INLINE VI AddressLanes(VI i, int n, DWORD mode) {
  const DI di;
  switch (mode) {
    case D3DTADDRESS_MIRROR: {
      const VI m = (n & (n - 1)) == 0 ? hn::And(i, hn::Set(di, 2 * n - 1)) : Modulo(i, 2 * n);
      return hn::IfThenElse(hn::Lt(m, hn::Set(di, n)), m, hn::Sub(hn::Set(di, 2 * n - 1), m));
    }
    case D3DTADDRESS_CLAMP: return hn::Min(hn::Max(i, hn::Zero(di)), hn::Set(di, n - 1));
    case D3DTADDRESS_BORDER: {
      const auto inside = hn::And(hn::Gt(i, hn::Set(di, -1)), hn::Lt(i, hn::Set(di, n)));
      return hn::IfThenElse(inside, i, hn::Set(di, -1));
    }
    default:
      // Most textures are a power of two wide: the repeat is then a mask.
      if ((n & (n - 1)) == 0) return hn::And(i, hn::Set(di, n - 1));
      return Modulo(i, n);
  }
}

// V16U16 texels as DecodeTexel reads them: u in red, v in green, each max(-1, value / 32767);
// blue and alpha 1.
HWY_INLINE Channels DecodeSigned(DF df, VU texels) {
  const DI di;
  const VF scale = hn::Set(df, 32767.f);
  const VF least = hn::Set(df, -1.f);
  const VF u = hn::Div(hn::ConvertTo(df, hn::ShiftRight<16>(hn::ShiftLeft<16>(hn::BitCast(di, texels)))), scale);
  const VF v = hn::Div(hn::ConvertTo(df, hn::ShiftRight<16>(hn::BitCast(di, texels))), scale);
  Channels out;
  out.c[0] = hn::Set(df, 1.f);
  out.c[1] = hn::IfThenElse(hn::Lt(least, v), v, least);
  out.c[2] = hn::IfThenElse(hn::Lt(least, u), u, least);
  out.c[3] = out.c[0];
  return out;
}

// Whether an address mode repeats the texture: what AddressLanes' default gives.
inline bool Repeats(DWORD mode) {
  return mode != D3DTADDRESS_MIRROR && mode != D3DTADDRESS_CLAMP && mode != D3DTADDRESS_BORDER;
}

// The texture of a stage: 32-bit colour, V16U16 and A8 texels are gathered several at a time,
// other formats read texel by texel.
struct Texture {
  explicit Texture(const TextureView& v)
      : view(v),
        texels(reinterpret_cast<const uint32_t*>(v.bits)),
        alpha(v.format == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u),
        kind(KindOf(v)),
        pitch(static_cast<int>(kind == kBytes ? v.pitch : (kind == kSignedBytes ? v.pitch / 2 : v.pitch / 4))) {}

  enum Kind { kColour, kSigned, kBytes, kSignedBytes, kOther };

  // A8 and V8U8 rows are read as the aligned 32-bit words that hold their texels, which lie inside
  // the texture when its rows are whole words long.
  static Kind KindOf(const TextureView& v) {
    if (v.format == D3DFMT_A8R8G8B8 || v.format == D3DFMT_X8R8G8B8) return kColour;
    if (v.format == D3DFMT_V16U16) return kSigned;
    if (v.format == D3DFMT_A8 && v.pitch % 4 == 0) return kBytes;
    if (v.format == D3DFMT_V8U8 && v.pitch % 4 == 0) return kSignedBytes;
    return kOther;
  }

  const TextureView& view;
  const uint32_t* texels;
  uint32_t alpha;  // ORed into each texel: a texture without alpha reads as opaque
  Kind kind;
  int pitch;  // in texels

  HWY_INLINE Channels Gather(DF df, VI index) const {
    const DU du;
    if (kind == kBytes) {
      // A8 reads as black with the byte's alpha.
      const VU word = hn::GatherIndex(du, texels, hn::ShiftRight<2>(index));
      const VU shift = hn::ShiftLeft<3>(hn::BitCast(du, hn::And(index, hn::Set(DI(), 3))));
      const VU byte = hn::And(hn::Shr(word, shift), hn::Set(du, 0xffu));
      Channels out;
      out.c[0] = out.c[1] = out.c[2] = hn::Zero(df);
      out.c[3] = hn::Mul(hn::ConvertTo(df, hn::BitCast(DI(), byte)), hn::Set(df, kInv255));
      return out;
    }
    if (kind == kSignedBytes) {
      const VU pair = GatherHalf(index);
      Channels out;
      out.c[0] = Channel<0>(df, pair);
      out.c[1] = Channel<1>(df, pair);
      out.c[2] = Channel<2>(df, pair);
      out.c[3] = Channel<3>(df, pair);
      return out;
    }
    const VU raw = hn::GatherIndex(du, texels, index);
    if (kind == kSigned) return DecodeSigned(df, raw);
    return Decode(df, hn::Or(raw, hn::Set(du, alpha)));
  }

  // V8U8 texels at the indices, each in the low half of its lane.
  HWY_INLINE VU GatherHalf(VI index) const {
    const DU du;
    const VU word = hn::GatherIndex(du, texels, hn::ShiftRight<1>(index));
    return hn::Shr(word, hn::ShiftLeft<4>(hn::BitCast(du, hn::And(index, hn::Set(DI(), 1)))));
  }

  // Channel k of undecoded 32-bit texels (V8U8 texels: in the low half of a lane), as Gather
  // decodes them.
  template <int k>
  HWY_INLINE VF Channel(DF df, VU raw) const {
    const DU du;
    const DI di;
    if (kind == kSignedBytes) {
      // V8U8 as the bump maps read it: u in red, v in green, each max(-1, value / 127); blue and
      // alpha 1.
      if (k == 0 || k == 3) return hn::Set(df, 1.f);
      const VI pair = hn::BitCast(di, raw);
      const VI value = k == 2 ? hn::ShiftRight<24>(hn::ShiftLeft<24>(pair)) : hn::ShiftRight<24>(hn::ShiftLeft<16>(pair));
      const VF f = hn::Div(hn::ConvertTo(df, value), hn::Set(df, 127.f));
      const VF least = hn::Set(df, -1.f);
      return hn::IfThenElse(hn::Lt(least, f), f, least);
    }
    if (kind == kSigned) {
      if (k == 0 || k == 3) return hn::Set(df, 1.f);
      const VI word = hn::BitCast(di, raw);
      const VI value = k == 2 ? hn::ShiftRight<16>(hn::ShiftLeft<16>(word)) : hn::ShiftRight<16>(word);
      const VF f = hn::Div(hn::ConvertTo(df, value), hn::Set(df, 32767.f));
      const VF least = hn::Set(df, -1.f);
      return hn::IfThenElse(hn::Lt(least, f), f, least);
    }
    // An alpha the texture does not keep reads 255 times 1/255: exactly 1.
    if (k == 3 && alpha != 0) return hn::Set(df, 1.f);
    VU byte;
    if constexpr (k == 0) {
      byte = hn::And(raw, hn::Set(du, 0xffu));
    } else if constexpr (k == 3) {
      byte = hn::ShiftRight<24>(raw);
    } else {
      // Byte k of each lane to its low byte, the others cleared: one shuffle in place of a shift and
      // a mask. Shuffles index bytes within 16-byte blocks, whose lanes begin 0, 4, 8 and 12 bytes in.
      const VU from = hn::Or(hn::ShiftLeft<2>(hn::And(hn::Iota(du, 0), hn::Set(du, 3u))), hn::Set(du, 0x80808000u | k));
      byte = hn::TableLookupBytesOr0(raw, from);
    }
    return hn::Mul(hn::ConvertTo(df, hn::BitCast(di, byte)), hn::Set(df, kInv255));
  }

  // Texels index and index + 1 of each lane, undecoded, read as one 64-bit word where the
  // instruction set has such lanes (half the loads of two gathers). Only for 32-bit texels.
  HWY_INLINE void GatherPair(VI index, VU& left, VU& right) const {
    const DU du;
#if HWY_TARGET == HWY_SCALAR
    left = hn::GatherIndex(du, texels, index);
    right = hn::GatherIndex(du, texels, hn::Add(index, hn::Set(DI(), 1)));
#else
    const hn::Half<DI> dh;
    const hn::Rebind<int64_t, decltype(dh)> di64;
    const hn::Repartition<uint64_t, DU> du64;
    const auto* words = reinterpret_cast<const uint64_t*>(texels);
    const VU lower =
        hn::BitCast(du, hn::GatherOffset(du64, words, hn::ShiftLeft<2>(hn::PromoteTo(di64, hn::LowerHalf(dh, index)))));
    const VU upper =
        hn::BitCast(du, hn::GatherOffset(du64, words, hn::ShiftLeft<2>(hn::PromoteTo(di64, hn::UpperHalf(dh, index)))));
    left = hn::ConcatEven(du, upper, lower);
    right = hn::ConcatOdd(du, upper, lower);
#endif
  }

  HWY_INLINE Channels Sample(DF df, VF u, VF v, MF valid, size_t n, bool linear) const {
    if (kind == kOther) return Addressed(df, u, v, n, linear);
    return linear ? Linear(df, u, v, valid) : Point(df, u, v, valid);
  }

  // Formats that cannot be gathered are read lane by lane, as TextureView::Sample reads them.
  Channels Addressed(DF df, VF u, VF v, size_t n, bool linear) const {
    HWY_ALIGN float us[kMostLanes];
    HWY_ALIGN float vs[kMostLanes];
    hn::Store(u, df, us);
    hn::Store(v, df, vs);
    HWY_ALIGN float lanes[4][kMostLanes] = {};
    for (size_t i = 0; i < n; ++i) {
      const Color c = view.Sample(us[i], vs[i], linear);
      lanes[0][i] = c.b;
      lanes[1][i] = c.g;
      lanes[2][i] = c.r;
      lanes[3][i] = c.a;
    }
    Channels out;
    for (int k = 0; k < 4; ++k) out.c[k] = hn::Load(df, lanes[k]);
    return out;
  }

  // The texels at indices (x, y) through the address modes: the border colour where a mode
  // gives none.
  HWY_INLINE Channels Fetch(DF df, VI x, VI y, hn::Mask<DI> valid) const {
    return FetchAddressed(df, AddressLanes(x, view.width, view.addressU), AddressLanes(y, view.height, view.addressV),
                          valid);
  }

  // The texels at indices an address mode gave: the border colour where either is -1.
  HWY_INLINE Channels FetchAddressed(DF df, VI ax, VI ay, hn::Mask<DI> valid) const {
    const DI di;
    const auto border = hn::Or(hn::Lt(ax, hn::Zero(di)), hn::Lt(ay, hn::Zero(di)));
    const VI index = hn::IfThenElseZero(hn::AndNot(border, valid), hn::Add(hn::Mul(ay, hn::Set(di, pitch)), ax));
    Channels out = Gather(df, index);
    const float colour[4] = {view.border.b, view.border.g, view.border.r, view.border.a};
    const MF outside = hn::RebindMask(df, border);
    for (int k = 0; k < 4; ++k) out.c[k] = hn::IfThenElse(outside, hn::Set(df, colour[k]), out.c[k]);
    return out;
  }

  // The texel indices (x, y) a point sample reads, and whether every valid lane's lies inside.
  HWY_INLINE bool PointTexels(DF df, VF u, VF v, MF valid, VI& x, VI& y) const {
    const DI di;
    x = FloorToInt(df, Hold(df, hn::Mul(u, hn::Set(df, static_cast<float>(view.width)))));
    y = FloorToInt(df, Hold(df, hn::Mul(v, hn::Set(df, static_cast<float>(view.height)))));
    const auto inside = hn::And(hn::And(hn::Gt(x, hn::Set(di, -1)), hn::Lt(x, hn::Set(di, view.width))),
                                hn::And(hn::Gt(y, hn::Set(di, -1)), hn::Lt(y, hn::Set(di, view.height))));
    return hn::AllTrue(di, hn::Or(inside, hn::Not(hn::RebindMask(di, valid))));
  }

  HWY_INLINE Channels Point(DF df, VF u, VF v, MF valid) const {
    const DI di;
    VI x;
    VI y;
    const auto validI = hn::RebindMask(di, valid);
    if (!PointTexels(df, u, v, valid, x, y)) return Fetch(df, x, y, validI);
    return Gather(df, hn::IfThenElseZero(validI, hn::Add(hn::Mul(y, hn::Set(di, pitch)), x)));
  }

  // The undecoded 32-bit texels of a point sample, where every valid lane reads inside the texture.
  HWY_INLINE bool PointRaw(DF df, VF u, VF v, MF valid, VU& raw) const {
    const DI di;
    VI x;
    VI y;
    if (!PointTexels(df, u, v, valid, x, y)) return false;
    const VI index = hn::IfThenElseZero(hn::RebindMask(di, valid), hn::Add(hn::Mul(y, hn::Set(di, pitch)), x));
    raw = hn::GatherIndex(DU(), texels, index);
    return true;
  }

  // The four texels of each lane's bilinear footprint where the footprints lie on one pair of rows,
  // or on two adjacent pairs (each lane's top row y0 or y0 + 1), and span at most two registers of
  // texels along them, as a magnified, copied or slightly rotated picture does: a few row loads and
  // lookups in registers instead of gathers. Lanes that are not valid read lane 0's footprint. False
  // where the footprints do not lie so. For 32-bit texels, and for V8U8 texels, which come in the
  // low half of their lanes. Only inside the texture.
  HWY_INLINE bool FromRows(VI x, VI y, hn::Mask<DI> valid, VU& ta, VU& tb, VU& tc, VU& td) const {
    const DI di;
    const DU du;
    const int lanes = static_cast<int>(hn::Lanes(di));
    if (lanes < 8) return false;
    const VI xs = hn::IfThenElse(valid, x, hn::Set(di, hn::GetLane(x)));
    const VI ys = hn::IfThenElse(valid, y, hn::Set(di, hn::GetLane(y)));
    // Most registers lie on one row pair; the least and most of the rows are looked for only where
    // they do not.
    const bool oneRow = hn::AllTrue(di, hn::Eq(ys, hn::Set(di, hn::GetLane(ys))));
    const int top = oneRow ? hn::GetLane(ys) : hn::GetLane(hn::MinOfLanes(di, ys));
    if (!oneRow && hn::GetLane(hn::MaxOfLanes(di, ys)) - top > 1) return false;
    // Two texels share a word of a V8U8 row.
    const bool halves = kind == kSignedBytes;
    const int shift = halves ? 1 : 0;
    const int words = halves ? (view.width + 1) / 2 : view.width;
    const VI columnsOf = hn::ShiftRightSame(xs, shift);
    // Words least .. most + 1 are read. Up to a register and one more (a 1:1 copy), as a register
    // from the first word and one from the next, each lane's left word and the one after it at the
    // same place in them; 32-bit texels up to two registers, as two registers side by side. The
    // loads stay inside the rows, moved left at the right edge. Lane 0 is tried first as the
    // window's start (a row drawn left to right starts there), the least word where that fails.
    bool wide = false;
    int window = lanes + 1;
    int start = hn::GetLane(columnsOf);
    // A row of 32-bit texels no longer than a register (a mask that changes only down the picture is
    // a few texels wide) is read whole, by a load that touches no memory past the row's end.
#if HWY_MEM_OPS_MIGHT_FAULT
    const bool narrow = false;
#else
    const bool narrow = !halves && words <= lanes;
#endif
    if (narrow) start = 0;
    if (!narrow && words < window) return false;
    if (!narrow && start > words - window) start = words - window;
    VI left = hn::Sub(columnsOf, hn::Set(di, start));
    // At a V8U8 row's right edge the last lane's word may lie past the window (its right texel is
    // then in the same word, but the lookup cannot reach it).
    if (!narrow && !hn::AllTrue(di, hn::And(hn::Gt(left, hn::Set(di, -1)), hn::Lt(left, hn::Set(di, lanes))))) {
      const int least = hn::GetLane(hn::MinOfLanes(di, xs));
      const int most = hn::GetLane(hn::MaxOfLanes(di, xs));
      const int columns = ((most + 1) >> shift) + 1 - (least >> shift);
      wide = columns > lanes + 1;
      window = wide ? 2 * lanes : lanes + 1;
      if ((halves && wide) || columns > 2 * lanes || words < window) return false;
      start = (least >> shift) < words - window ? (least >> shift) : words - window;
      left = hn::Sub(columnsOf, hn::Set(di, start));
      if (halves && hn::GetLane(hn::MaxOfLanes(di, left)) >= lanes) return false;
    }
    const VI mask = hn::Set(di, lanes - 1);
    const auto leftLanes = hn::IndicesFromVec(du, hn::BitCast(du, hn::And(left, mask)));
    const VI right = hn::Add(left, hn::Set(di, 1));
    const auto rightLanes = hn::IndicesFromVec(du, hn::BitCast(du, hn::And(right, mask)));
    const auto leftLow = hn::RebindMask(du, hn::Lt(left, hn::Set(di, lanes)));
    const auto rightLow = hn::RebindMask(du, hn::Lt(right, hn::Set(di, lanes)));
    const auto odd = hn::RebindMask(du, hn::Eq(hn::And(xs, hn::Set(di, 1)), hn::Set(di, 1)));
    const ptrdiff_t pitchWords = halves ? pitch / 2 : pitch;
    auto read = [&](int r, VU& l, VU& rr) {
      const uint32_t* row = texels + static_cast<ptrdiff_t>(r) * pitchWords + start;
#if !HWY_MEM_OPS_MIGHT_FAULT
      if (narrow) {
        const VU whole = hn::MaskedLoad(hn::FirstN(du, static_cast<size_t>(words)), du, row);
        l = hn::TableLookupLanes(whole, leftLanes);
        rr = hn::TableLookupLanes(whole, rightLanes);
        return;
      }
#endif
      if (wide) {
        const VU a = hn::LoadU(du, row);
        const VU b = hn::LoadU(du, row + lanes);
        l = hn::IfThenElse(leftLow, hn::TableLookupLanes(a, leftLanes), hn::TableLookupLanes(b, leftLanes));
        rr = hn::IfThenElse(rightLow, hn::TableLookupLanes(a, rightLanes), hn::TableLookupLanes(b, rightLanes));
        return;
      }
      l = hn::TableLookupLanes(hn::LoadU(du, row), leftLanes);
      rr = hn::TableLookupLanes(hn::LoadU(du, row + 1), leftLanes);
      if (halves) {
        // An even texel's right neighbour is the upper half of its word; an odd one's, the lower
        // half of the next word.
        const VU upper = hn::ShiftRight<16>(l);
        rr = hn::IfThenElse(odd, rr, upper);
        l = hn::IfThenElse(odd, upper, l);
      }
    };
    VU a0, b0, a1, b1;
    read(top, a0, b0);
    read(top + 1, a1, b1);
    if (oneRow) {
      ta = a0;
      tb = b0;
      tc = a1;
      td = b1;
      return true;
    }
    VU a2, b2;
    read(top + 2, a2, b2);
    const auto upper = hn::RebindMask(du, hn::Eq(ys, hn::Set(di, top)));
    ta = hn::IfThenElse(upper, a0, a1);
    tb = hn::IfThenElse(upper, b0, b1);
    tc = hn::IfThenElse(upper, a1, a2);
    td = hn::IfThenElse(upper, b1, b2);
    return true;
  }

  HWY_INLINE Channels Linear(DF df, VF u, VF v, MF valid) const {
    const DI di;
    // Texel centres lie at (i + 0.5) / size.
    const VF fu = hn::Sub(Hold(df, hn::Mul(u, hn::Set(df, static_cast<float>(view.width)))), hn::Set(df, 0.5f));
    const VF fv = hn::Sub(Hold(df, hn::Mul(v, hn::Set(df, static_cast<float>(view.height)))), hn::Set(df, 0.5f));
    const VI x = FloorToInt(df, fu);
    const VI y = FloorToInt(df, fv);
    const auto validI = hn::RebindMask(di, valid);
    auto inside = [&](VI cx, VI cy) {
      const auto in = hn::And(hn::And(hn::Gt(cx, hn::Set(di, -1)), hn::Lt(cx, hn::Set(di, view.width - 1))),
                              hn::And(hn::Gt(cy, hn::Set(di, -1)), hn::Lt(cy, hn::Set(di, view.height - 1))));
      return hn::AllTrue(di, hn::Or(in, hn::Not(validI)));
    };
    // The footprint's top left texel. A repeating texture reads at x the same texels as at x's
    // place in the first repeat, so footprints off it but not across its edge are read as inside.
    VI tx = x;
    VI ty = y;
    bool within = inside(x, y);
    if (!within && (Repeats(view.addressU) || Repeats(view.addressV))) {
      if (Repeats(view.addressU)) tx = AddressLanes(x, view.width, view.addressU);
      if (Repeats(view.addressV)) ty = AddressLanes(y, view.height, view.addressV);
      within = inside(tx, ty);
    }
    const VF wx = hn::Sub(fu, hn::ConvertTo(df, x));
    const VF wy = hn::Sub(fv, hn::ConvertTo(df, y));
    const VF one = hn::Set(df, 1.f);
    const VF w00 = hn::Mul(hn::Sub(one, wx), hn::Sub(one, wy));
    const VF w10 = hn::Mul(wx, hn::Sub(one, wy));
    const VF w01 = hn::Mul(hn::Sub(one, wx), wy);
    const VF w11 = hn::Mul(wx, wy);
    auto weigh = [&](VF a, VF b, VF c, VF d) {
      return hn::Add(hn::Add(hn::Add(hn::Mul(a, w00), hn::Mul(b, w10)), hn::Mul(c, w01)), hn::Mul(d, w11));
    };
    Channels out;
    const bool bordered = view.addressU == D3DTADDRESS_BORDER || view.addressV == D3DTADDRESS_BORDER;
    if (kind != kBytes && (within || !bordered)) {
      // Texels are decoded a channel at a time as they are weighed, which keeps fewer values at
      // hand and lets a caller's unused channels go undecoded.
      VU ta;
      VU tb;
      VU tc;
      VU td;
      if (!within) {
        // Footprints across the edge of a texture without a border: each column and row is
        // addressed once, and every texel lies inside.
        const VI step = hn::Set(di, 1);
        const VI ax0 = AddressLanes(x, view.width, view.addressU);
        const VI ax1 = AddressLanes(hn::Add(x, step), view.width, view.addressU);
        const VI row0 = hn::Mul(AddressLanes(y, view.height, view.addressV), hn::Set(di, pitch));
        const VI row1 = hn::Mul(AddressLanes(hn::Add(y, step), view.height, view.addressV), hn::Set(di, pitch));
        auto read = [&](VI row, VI column) {
          const VI index = hn::IfThenElseZero(validI, hn::Add(row, column));
          if (kind == kSignedBytes) return GatherHalf(index);
          return hn::GatherIndex(DU(), texels, index);
        };
        ta = read(row0, ax0);
        tb = read(row0, ax1);
        tc = read(row1, ax0);
        td = read(row1, ax1);
      } else if (!FromRows(tx, ty, validI, ta, tb, tc, td)) {
        const VI a = hn::IfThenElseZero(validI, hn::Add(hn::Mul(ty, hn::Set(di, pitch)), tx));
        const VI down = hn::IfThenElseZero(validI, hn::Set(di, pitch));
        if (kind == kSignedBytes) {
          const VI step = hn::IfThenElseZero(validI, hn::Set(di, 1));
          ta = GatherHalf(a);
          tb = GatherHalf(hn::Add(a, step));
          tc = GatherHalf(hn::Add(a, down));
          td = GatherHalf(hn::Add(hn::Add(a, down), step));
        } else {
          GatherPair(a, ta, tb);
          GatherPair(hn::Add(a, down), tc, td);
        }
      }
      out.c[0] = weigh(Channel<0>(df, ta), Channel<0>(df, tb), Channel<0>(df, tc), Channel<0>(df, td));
      out.c[1] = weigh(Channel<1>(df, ta), Channel<1>(df, tb), Channel<1>(df, tc), Channel<1>(df, td));
      out.c[2] = weigh(Channel<2>(df, ta), Channel<2>(df, tb), Channel<2>(df, tc), Channel<2>(df, td));
      out.c[3] = weigh(Channel<3>(df, ta), Channel<3>(df, tb), Channel<3>(df, tc), Channel<3>(df, td));
      return out;
    }
    Channels ta;
    Channels tb;
    Channels tc;
    Channels td;
    if (!within) {
      // Each column and row of the footprints is addressed once, not once per texel.
      const VI step = hn::Set(di, 1);
      const VI ax0 = AddressLanes(x, view.width, view.addressU);
      const VI ax1 = AddressLanes(hn::Add(x, step), view.width, view.addressU);
      const VI ay0 = AddressLanes(y, view.height, view.addressV);
      const VI ay1 = AddressLanes(hn::Add(y, step), view.height, view.addressV);
      ta = FetchAddressed(df, ax0, ay0, validI);
      tb = FetchAddressed(df, ax1, ay0, validI);
      tc = FetchAddressed(df, ax0, ay1, validI);
      td = FetchAddressed(df, ax1, ay1, validI);
    } else {
      const VI a = hn::IfThenElseZero(validI, hn::Add(hn::Mul(ty, hn::Set(di, pitch)), tx));
      const VI step = hn::IfThenElseZero(validI, hn::Set(di, 1));
      const VI down = hn::IfThenElseZero(validI, hn::Set(di, pitch));
      ta = Gather(df, a);
      tb = Gather(df, hn::Add(a, step));
      tc = Gather(df, hn::Add(a, down));
      td = Gather(df, hn::Add(hn::Add(a, down), step));
    }
    for (int k = 0; k < 4; ++k) out.c[k] = weigh(ta.c[k], tb.c[k], tc.c[k], td.c[k]);
    return out;
  }
};

HWY_INLINE VF Factor(DF df, DWORD mode, const Channels& src, const Channels& dst, int k) {
  const VF one = hn::Set(df, 1.f);
  switch (mode) {
    case D3DBLEND_ZERO: return hn::Zero(df);
    case D3DBLEND_SRCCOLOR: return src.c[k];
    case D3DBLEND_INVSRCCOLOR: return hn::Sub(one, src.c[k]);
    case D3DBLEND_SRCALPHA: return src.c[3];
    case D3DBLEND_INVSRCALPHA: return hn::Sub(one, src.c[3]);
    case D3DBLEND_DESTALPHA: return dst.c[3];
    case D3DBLEND_INVDESTALPHA: return hn::Sub(one, dst.c[3]);
    case D3DBLEND_DESTCOLOR: return dst.c[k];
    case D3DBLEND_INVDESTCOLOR: return hn::Sub(one, dst.c[k]);
    default: return one;  // D3DBLEND_ONE; the plan admits no other
  }
}

HWY_INLINE VF Pick(DF df, SpanSource source, float constant, VF texel, VF texel1, VF diffuse) {
  switch (source) {
    case SpanSource::kTexel: return texel;
    case SpanSource::kTexel1: return texel1;
    case SpanSource::kDiffuse: return diffuse;
    default: return hn::Set(df, constant);
  }
}

// kNone: no texel is read; kPoint, kLinear: stage 0's 32-bit texel by that filter; kRich: the
// richer plans (a second stage's texel, bumped coordinates, other formats, the specular sum), each
// stage filtered as the triangle says; kProgram: a pixel program colours the pixels.
enum Filter { kNone, kPoint, kLinear, kRich, kProgram };

// A pixel program's block of inputs as the general pixel stage fills it (each value straight from its
// plane), a register of lanes at a time: the same operations in the same order.
HWY_INLINE void FillBlockWide(const PixelState& p, const Triangle& t, int x, int y, PixelBlock& block) {
  const DF df;
  const DI di;
  const size_t lanes = hn::Lanes(df);
  block.x = x;
  block.y = y;
  const float fy = static_cast<float>(y) - t.y0;
  const VF x0 = hn::Set(df, t.x0);
  const bool divideColour = t.perspective && !p.flat;
  float starts[kProgramPlanes];
  for (int k = 0; k < kProgramPlanes; ++k) starts[k] = t.base[k] + t.ddy[k] * fy;
  for (size_t i = 0; i < kBlockPixels; i += lanes) {
    const VF fx = hn::Sub(hn::ConvertTo(df, hn::Add(hn::Iota(di, 0), hn::Set(di, x + static_cast<int>(i)))), x0);
    auto value = [&](int k) { return hn::Add(hn::Set(df, starts[k]), hn::Mul(hn::Set(df, t.ddx[k]), fx)); };
    const VF w = t.perspective ? hn::Div(hn::Set(df, 1.f), value(1)) : hn::Set(df, 1.f);
    for (int c = 0; c < 4; ++c) {
      const VF colour = value(2 + kDiffuse + c);
      hn::Store(divideColour ? hn::Mul(colour, w) : colour, df, block.diffuse[c] + i);
    }
    for (int s = 0; s < kProgramStages; ++s) {
      const VF u = value(2 + kTexcoord + 2 * s);
      const VF v = value(2 + kTexcoord + 2 * s + 1);
      hn::Store(t.perspective ? hn::Mul(u, w) : u, df, block.u[s] + i);
      hn::Store(t.perspective ? hn::Mul(v, w) : v, df, block.v[s] + i);
    }
  }
}

// Where the lanes of a register read and write their pixels: pixels x .. x + n - 1 of one row from
// lane 0, as the rows of a wide triangle take them.
struct RowLanes {
  uint32_t* out;  // the pixel of lane 0
  float* depth;   // its depth value, with depth
  size_t n;

  VU LoadTarget() const { return LoadPart(DU(), out, n); }
  void StoreTarget(VU pixel, MF pass) const {
    const DU du;
    StorePart(du, hn::IfThenElse(hn::RebindMask(du, pass), pixel, LoadPart(du, out, n)), out, n);
  }
  VF LoadDepth() const { return LoadPart(DF(), depth, n); }
  void StoreDepth(VF z, VF stored, MF pass) const { StorePart(DF(), hn::IfThenElse(pass, z, stored), depth, n); }
};

#if !HWY_MEM_OPS_MIGHT_FAULT
// The short rows of a small triangle side by side in one register, each row (or part of a row) in
// lanes of its own: a register of such rows costs what a register of one row does, where one row of
// a few pixels would leave most lanes idle. Masked loads and stores, which touch no memory outside
// their lanes, read and write each part in place. Where the instruction set has no such loads and
// stores, each register takes one row.
struct PackedLanes {
  struct Part {
    uint32_t* out;  // out[i] is the pixel of lane i, for the part's lanes
    float* depth;
    MF lanes;
  };
  Part parts[kMostLanes];
  int count = 0;

  VU LoadTarget() const {
    const DU du;
    VU pixels = hn::Zero(du);
    for (int i = 0; i < count; ++i) {
      pixels = hn::Or(pixels, hn::MaskedLoad(hn::RebindMask(du, parts[i].lanes), du, parts[i].out));
    }
    return pixels;
  }
  void StoreTarget(VU pixel, MF pass) const {
    const DU du;
    for (int i = 0; i < count; ++i) {
      hn::BlendedStore(pixel, hn::RebindMask(du, hn::And(pass, parts[i].lanes)), du, parts[i].out);
    }
  }
  VF LoadDepth() const {
    const DF df;
    VF values = hn::Zero(df);
    for (int i = 0; i < count; ++i) {
      values = hn::IfThenElse(parts[i].lanes, hn::MaskedLoad(parts[i].lanes, df, parts[i].depth), values);
    }
    return values;
  }
  void StoreDepth(VF z, VF, MF pass) const {
    const DF df;
    for (int i = 0; i < count; ++i) hn::BlendedStore(z, hn::And(pass, parts[i].lanes), df, parts[i].depth);
  }
};
#endif

// The start of each plane a pixel reads, base + ddy * (y - y0) for the row of each lane.
struct PlaneStarts {
  VF color[4];
  VF z;
  VF q;
  VF u;
  VF v;
  VF u1;
  VF v1;
  VF specular[3];
};

template <int kFilter, bool kBlend, bool kDepth>
void Rows(const PixelState& p, const Triangle& t, int top, const RowSpan* spans, int count) {
  const DF df;
  const DI di;
  const DU du;
  const size_t lanes = hn::Lanes(df);
  // Copies of what the loop reads, which stores to the target cannot change.
  const SpanPlan plan = p.span;
  const bool perspective = t.perspective;
  const bool flat = p.flat;
  const bool linear0 = t.linear[0];
  const bool linear1 = t.linear[1];
  const bool alphaTest = p.alphaTest;
  const DWORD alphaFunc = p.alphaFunc;
  const DWORD zFunc = p.zFunc;
  const bool zWrite = p.zWrite;
  const DWORD srcBlend = p.srcBlend;
  const DWORD destBlend = p.destBlend;
  const DWORD blendOp = p.blendOp;
  const bool sourceOver =
      kBlend && srcBlend == D3DBLEND_SRCALPHA && destBlend == D3DBLEND_INVSRCALPHA && blendOp == D3DBLENDOP_ADD;
  const VF bump00 = hn::Set(df, p.stages[0].bump[0]);
  const VF bump01 = hn::Set(df, p.stages[0].bump[1]);
  const VF bump10 = hn::Set(df, p.stages[0].bump[2]);
  const VF bump11 = hn::Set(df, p.stages[0].bump[3]);
  const int depthWidth = kDepth ? static_cast<int>(p.depth->width()) : 0;
  const int depthHeight = kDepth ? static_cast<int>(p.depth->height()) : 0;

  // Each plane's step in x; its start is computed for the row of each lane, as the general stage
  // computes it per row.
  auto step = [&](int k) { return hn::Set(df, t.ddx[k]); };
  constexpr int d = 2 + kDiffuse;
  constexpr int sp = 2 + kSpecular;
  constexpr int c = 2 + kTexcoord;
  constexpr int channel[4] = {d + 2, d + 1, d, d + 3};
  VF colorStep[4];
  for (int k = 0; k < 4; ++k) colorStep[k] = step(channel[k]);
  const VF zStep = step(0);
  const VF qStep = step(1);
  const bool first = kFilter != kNone && kFilter != kProgram && p.texcoordStages > 0;
  const VF uStep = first ? step(c) : hn::Zero(df);
  const VF vStep = first ? step(c + 1) : hn::Zero(df);
  const Texture texture(p.views[0]);
  const Texture texture1(p.views[1]);
  // Stage 1's coordinates and the specular colour, for the richer plans.
  const bool second = kFilter == kRich && p.texcoordStages > 1;
  const VF u1Step = second ? step(c + 2) : hn::Zero(df);
  const VF v1Step = second ? step(c + 3) : hn::Zero(df);
  VF specularStep[3];
  for (int k = 0; k < 3; ++k) specularStep[k] = plan.specular ? step(sp + 2 - k) : hn::Zero(df);
  bool reads[2] = {false, false};
  for (int k = 0; k < 4; ++k) {
    for (SpanSource source : {plan.arg1[k], plan.arg2[k]}) {
      reads[0] = reads[0] || source == SpanSource::kTexel;
      reads[1] = reads[1] || source == SpanSource::kTexel1;
    }
  }
  VF low[4];
  VF high[4];
  bool clamped[4];
  for (int k = 0; k < 4; ++k) {
    low[k] = hn::Set(df, plan.low[k]);
    high[k] = hn::Set(df, plan.high[k]);
    clamped[k] = plan.low[k] > -kLimit || plan.high[k] < kLimit;
  }
  const VU targetAlpha = hn::Set(du, plan.targetAlpha);
  // A point copy of 32-bit texels: every channel is the texel's times 1, within 0..1. A byte decoded
  // and encoded again is the same byte, so the texel is written as it is read (with the alpha that
  // the texture or the target does not keep), without the round trip through floats.
  bool copies = kFilter == kPoint && !kBlend && !alphaTest && texture.kind == Texture::kColour;
  for (int k = 0; k < 4; ++k) {
    copies = copies && plan.arg1[k] == SpanSource::kTexel && plan.arg2[k] == SpanSource::kConstant &&
             plan.constant2[k] == 1.f && plan.low[k] <= 0.f && plan.high[k] >= 1.f;
  }
  const VU copyAlpha = hn::Set(du, texture.alpha | plan.targetAlpha);
  const VF x0 = hn::Set(df, t.x0);
  const VF alphaRef = hn::Set(df, static_cast<float>(p.alphaRef));
  // A pixel program colours a row's pixels a block at a time, ahead of the tests and the blend.
  PixelBlock block;
  ColorBlock colors;
  const TextureSampler sampler(p.views);

  // The planes at the rows of the lanes, from y - y0 of each lane.
  auto startsAt = [&](VF fy) {
    auto start = [&](int k) { return hn::Add(hn::Set(df, t.base[k]), hn::Mul(hn::Set(df, t.ddy[k]), fy)); };
    PlaneStarts at;
    for (int k = 0; k < 4; ++k) at.color[k] = start(channel[k]);
    at.z = start(0);
    at.q = start(1);
    at.u = first ? start(c) : hn::Zero(df);
    at.v = first ? start(c + 1) : hn::Zero(df);
    at.u1 = second ? start(c + 2) : hn::Zero(df);
    at.v1 = second ? start(c + 3) : hn::Zero(df);
    for (int k = 0; k < 3; ++k) at.specular[k] = plan.specular ? start(sp + 2 - k) : hn::Zero(df);
    return at;
  };

  // The pixels of one register: lanes below n are valid, at x - x0 = fx, reading and writing memory
  // through lanesAt; `lane` is the first lane's place in the pixel program's block.
  auto shade = [&](const PlaneStarts& at, VF fx, MF valid, [[maybe_unused]] size_t n, [[maybe_unused]] int lane,
                   const auto& lanesAt) {
    MF pass = valid;
    VF z;
    VF stored;
    if constexpr (kDepth) {
      z = Clamp01(df, hn::Add(at.z, hn::Mul(zStep, fx)));
      stored = lanesAt.LoadDepth();
      pass = hn::And(pass, Compare(df, zFunc, z, stored));
      if (hn::AllFalse(df, pass)) return;
    }
    Channels color;
    for (int k = 0; k < 4; ++k) color.c[k] = hn::Add(at.color[k], hn::Mul(colorStep[k], fx));
    VF u = hn::Add(at.u, hn::Mul(uStep, fx));
    VF v = hn::Add(at.v, hn::Mul(vStep, fx));
    VF u1 = hn::Add(at.u1, hn::Mul(u1Step, fx));
    VF v1 = hn::Add(at.v1, hn::Mul(v1Step, fx));
    VF specular[3];
    for (int k = 0; k < 3; ++k) specular[k] = hn::Add(at.specular[k], hn::Mul(specularStep[k], fx));
    if (perspective) {
      const VF w = hn::Div(hn::Set(df, 1.f), hn::Add(at.q, hn::Mul(qStep, fx)));
      u = hn::Mul(u, w);
      v = hn::Mul(v, w);
      if constexpr (kFilter == kRich || kFilter == kProgram) {
        u1 = hn::Mul(u1, w);
        v1 = hn::Mul(v1, w);
      }
      // Flat colours are constant planes, never divided by 1/w.
      if (!flat) {
        for (int k = 0; k < 4; ++k) color.c[k] = hn::Mul(color.c[k], w);
        if constexpr (kFilter == kRich || kFilter == kProgram) {
          for (int k = 0; k < 3; ++k) specular[k] = hn::Mul(specular[k], w);
        }
      }
    }
    if constexpr (kFilter == kPoint && !kBlend) {
      VU raw;
      if (copies && texture.PointRaw(df, u, v, valid, raw)) {
        lanesAt.StoreTarget(hn::Or(raw, copyAlpha), pass);
        if constexpr (kDepth) {
          if (zWrite) lanesAt.StoreDepth(z, stored, pass);
        }
        return;
      }
    }
    Channels texel{};
    Channels texel1{};
    if constexpr (kFilter == kPoint) texel = texture.Point(df, u, v, valid);
    if constexpr (kFilter == kLinear) texel = texture.Linear(df, u, v, valid);
    if constexpr (kFilter == kRich) {
      if (plan.bump) {
        // Stage 0's texel moves stage 1's coordinates by the bump matrix.
        const Channels bump = texture.Sample(df, u, v, valid, n, linear0);
        u1 = hn::Add(u1, hn::Add(hn::Mul(bump00, bump.c[2]), hn::Mul(bump10, bump.c[1])));
        v1 = hn::Add(v1, hn::Add(hn::Mul(bump01, bump.c[2]), hn::Mul(bump11, bump.c[1])));
      } else if (reads[0]) {
        texel = texture.Sample(df, u, v, valid, n, linear0);
      }
      if (reads[1]) texel1 = texture1.Sample(df, u1, v1, valid, n, linear1);
    }
    for (int k = 0; k < 4; ++k) {
      VF value;
      if constexpr (kFilter == kProgram) {
        const float* const channels[4] = {colors.b, colors.g, colors.r, colors.a};
        value = hn::LoadU(df, channels[k] + lane);
      } else {
        value = hn::Mul(Pick(df, plan.arg1[k], plan.constant1[k], texel.c[k], texel1.c[k], color.c[k]),
                        Pick(df, plan.arg2[k], plan.constant2[k], texel.c[k], texel1.c[k], color.c[k]));
      }
      if (clamped[k]) {
        value = hn::IfThenElse(hn::Lt(value, low[k]), low[k], value);
        value = hn::IfThenElse(hn::Gt(value, high[k]), high[k], value);
      }
      color.c[k] = value;
    }
    if ((kFilter == kRich || kFilter == kProgram) && plan.specular) {
      // The specular sum clamps red, green and blue and leaves alpha alone.
      for (int k = 0; k < 3; ++k) color.c[k] = Clamp01(df, hn::Add(color.c[k], specular[k]));
    }
    if (alphaTest) {
      pass = hn::And(pass, Compare(df, alphaFunc, hn::ConvertTo(df, ToBytes(df, color.c[3])), alphaRef));
      if (hn::AllFalse(df, pass)) return;
    }
    // Source over the target with every alpha exactly 1 gives the source: c * 1 + d * 0 is c for a
    // target's channel d (finite, never below 0), and a -0 it would make +0 writes the same byte.
    if (kBlend && !(sourceOver && hn::AllTrue(df, hn::Or(hn::Eq(color.c[3], hn::Set(df, 1.f)), hn::Not(pass))))) {
      const Channels dst = Decode(df, hn::Or(lanesAt.LoadTarget(), targetAlpha));
      Channels blended;
      if (sourceOver) {
        // The usual blend, its factors taken once for the four channels.
        const VF inverse = hn::Sub(hn::Set(df, 1.f), color.c[3]);
        for (int k = 0; k < 4; ++k) blended.c[k] = hn::Add(hn::Mul(color.c[k], color.c[3]), hn::Mul(dst.c[k], inverse));
      } else {
        for (int k = 0; k < 4; ++k) {
          const VF s = hn::Mul(color.c[k], Factor(df, srcBlend, color, dst, k));
          const VF dd = hn::Mul(dst.c[k], Factor(df, destBlend, color, dst, k));
          switch (blendOp) {
            case D3DBLENDOP_SUBTRACT: blended.c[k] = hn::Sub(s, dd); break;
            case D3DBLENDOP_REVSUBTRACT: blended.c[k] = hn::Sub(dd, s); break;
            default: blended.c[k] = hn::Add(s, dd); break;
          }
        }
      }
      color = blended;
    }
    const VU pixel = hn::Or(Encode(df, color), targetAlpha);
    lanesAt.StoreTarget(pixel, pass);
    if constexpr (kDepth) {
      if (zWrite) lanesAt.StoreDepth(z, stored, pass);
    }
  };

  // The rows of a run, top to bottom; with depth, pixels without a depth value are left alone, as the
  // general stage leaves them.
  auto rowAt = [&](int r, int& y, int& left, int& right, float*& depthRow) {
    y = top + r;
    left = spans[r].left;
    right = spans[r].right;
    depthRow = nullptr;
    if constexpr (kDepth) {
      if (y >= depthHeight) return false;
      depthRow = p.depth->depth() + static_cast<size_t>(y) * depthWidth;
      right = right < depthWidth - 1 ? right : depthWidth - 1;
    }
    return left <= right;
  };

#if !HWY_MEM_OPS_MIGHT_FAULT
  if constexpr (kFilter != kProgram) {
    // Packing pays where rows are short, a triangle of rows of a few pixels each: where it saves a
    // fifth of the registers or more, a packed register costing somewhat more than one of a single
    // row (its lanes' texels lie in several rows, which the sampler gathers).
    size_t pixels = 0;
    size_t registers = 0;
    for (int r = 0; r < count; ++r) {
      if (spans[r].left > spans[r].right) continue;
      const size_t width = static_cast<size_t>(spans[r].right - spans[r].left + 1);
      pixels += width;
      registers += (width + lanes - 1) / lanes;
    }
    if (4 * registers > 5 * ((pixels + lanes - 1) / lanes)) {
      PackedLanes packed;
      size_t used = 0;
      VI xs = hn::Zero(di);
      VI ys = hn::Zero(di);
      const VF y0 = hn::Set(df, t.y0);
      auto flush = [&] {
        const VF fx = hn::Sub(hn::ConvertTo(df, xs), x0);
        shade(startsAt(hn::Sub(hn::ConvertTo(df, ys), y0)), fx, hn::FirstN(df, used), used, 0, packed);
        packed.count = 0;
        used = 0;
      };
      for (int r = 0; r < count; ++r) {
        int y;
        int left;
        int right;
        float* depthRow;
        if (!rowAt(r, y, left, right, depthRow)) continue;
        uint32_t* out = reinterpret_cast<uint32_t*>(p.target->row(static_cast<UINT>(y)));
        for (int x = left; x <= right;) {
          const size_t part = std::min(static_cast<size_t>(right - x + 1), lanes - used);
          const MF partLanes = hn::AndNot(hn::FirstN(df, used), hn::FirstN(df, used + part));
          const auto partLanesI = hn::RebindMask(di, partLanes);
          const int shift = x - static_cast<int>(used);
          xs = hn::IfThenElse(partLanesI, hn::Add(hn::Iota(di, 0), hn::Set(di, shift)), xs);
          ys = hn::IfThenElse(partLanesI, hn::Set(di, y), ys);
          packed.parts[packed.count++] = {out + shift, kDepth ? depthRow + shift : nullptr, partLanes};
          used += part;
          x += static_cast<int>(part);
          if (used == lanes) flush();
        }
      }
      if (used > 0) flush();
      return;
    }
  }
#endif

  for (int r = 0; r < count; ++r) {
    int y;
    int left;
    int right;
    float* depthRow;
    if (!rowAt(r, y, left, right, depthRow)) continue;
    const PlaneStarts at = startsAt(hn::Set(df, static_cast<float>(y) - t.y0));
    uint32_t* out = reinterpret_cast<uint32_t*>(p.target->row(static_cast<UINT>(y)));
    for (int x = left; x <= right; x += static_cast<int>(lanes)) {
      const size_t n = static_cast<size_t>(right - x + 1) < lanes ? static_cast<size_t>(right - x + 1) : lanes;
      const MF valid = hn::FirstN(df, n);
      const int lane = (x - left) % kBlockPixels;
      if constexpr (kFilter == kProgram) {
        if (lane == 0) {
          FillBlockWide(p, t, x, y, block);
          block.count = right - x + 1 < kBlockPixels ? right - x + 1 : kBlockPixels;
          (*p.program)(block, sampler, colors);
        }
      }
      const VF fx = hn::Sub(hn::ConvertTo(df, hn::Add(hn::Iota(di, 0), hn::Set(di, x))), x0);
      shade(at, fx, valid, n, lane, RowLanes{out + x, kDepth ? depthRow + x : nullptr, n});
    }
  }
}

template <int kFilter, bool kBlend>
void RowsOf(const PixelState& p, const Triangle& t, int top, const RowSpan* spans, int count) {
  if (p.depth != nullptr) {
    Rows<kFilter, kBlend, true>(p, t, top, spans, count);
  } else {
    Rows<kFilter, kBlend, false>(p, t, top, spans, count);
  }
}

template <int kFilter>
void RowsOf(const PixelState& p, const Triangle& t, int top, const RowSpan* spans, int count) {
  if (p.blend) {
    RowsOf<kFilter, true>(p, t, top, spans, count);
  } else {
    RowsOf<kFilter, false>(p, t, top, spans, count);
  }
}

}  // namespace

}  // namespace HWY_NAMESPACE
}  // namespace d3d9
HWY_AFTER_NAMESPACE();

#endif
