#include "platform/d3d9/raster_span.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/d3d9/raster.h"
#include "platform/d3d9/resources.h"

namespace d3d9 {

namespace {

// Four lanes of one pixel; every operation on them is the single-precision operation of each lane.
using F4 = float __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));
#if !defined(__SSE2__)
using B4 = uint8_t __attribute__((vector_size(4)));
#endif

constexpr float kInv255 = 1.f / 255.f;
// The general stage reads alpha 1 from a pixel without alpha; the byte 255 decodes to exactly that,
// so such pixels are read with their alpha byte set.
static_assert(255.f * kInv255 == 1.f);
constexpr uint32_t kOpaque = 0xff000000u;
// Far-out coordinates are held where the texel index cannot overflow, as TextureView::Sample does.
constexpr float kLimit = 1 << 20;

std::atomic<bool> generalOnly{false};

F4 Splat(float f) { return F4{f, f, f, f}; }

F4 Load(const float lanes[4]) {
  F4 v;
  std::memcpy(&v, lanes, sizeof v);
  return v;
}

// A 32-bit pixel as four lanes b, g, r, a, each byte / 255 as DecodeTexel reads it.
inline F4 Decode(uint32_t pixel) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i lanes = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero), zero);
  return F4(_mm_cvtepi32_ps(lanes)) * kInv255;
#else
  B4 bytes;
  std::memcpy(&bytes, &pixel, 4);
  return __builtin_convertvector(__builtin_convertvector(bytes, I4), F4) * kInv255;
#endif
}

// ToByte on each lane, packed as a 32-bit pixel.
inline uint32_t Encode(F4 c) {
  F4 held = c > 0.f ? c : F4{};  // also NaN to 0
  held = c >= 1.f ? Splat(1.f) : held;
  held = held * 255.f + 0.5f;
#if defined(__SSE2__)
  __m128i bytes = _mm_cvttps_epi32(held);
  bytes = _mm_packs_epi32(bytes, bytes);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(bytes, bytes)));
#else
  const B4 bytes = __builtin_convertvector(__builtin_convertvector(held, I4), B4);
  uint32_t pixel;
  std::memcpy(&pixel, &bytes, 4);
  return pixel;
#endif
}

// std::floor of a value within +-kLimit, as an integer.
int FloorToInt(float f) {
  const int i = static_cast<int>(f);
  return static_cast<float>(i) > f ? i - 1 : i;
}

float HoldCoordinate(float f) {
  f = f < -kLimit ? -kLimit : (f > kLimit ? kLimit : f);
  return f == f ? f : 0.f;
}

// A 32-bit texture of a stage, its fields copied out of the pixel state so that writes to the
// target need not reload them.
struct Sampler {
  explicit Sampler(const TextureView& view)
      : bits(view.bits),
        pitch(view.pitch),
        width(view.width),
        height(view.height),
        addressU(view.addressU),
        addressV(view.addressV),
        alpha(view.format == D3DFMT_X8R8G8B8 ? kOpaque : 0),
        border{view.border.b, view.border.g, view.border.r, view.border.a} {}

  const uint8_t* bits;
  size_t pitch;
  int width;
  int height;
  DWORD addressU;
  DWORD addressV;
  uint32_t alpha;
  F4 border;

  uint32_t Read(const uint8_t* row, int x) const {
    uint32_t texel;
    std::memcpy(&texel, row + static_cast<size_t>(x) * 4, 4);
    return texel | alpha;
  }

  // A texel through the address modes, for indices that may lie outside the texture.
  F4 Addressed(int x, int y) const {
    const int ax = Address(x, width, addressU);
    const int ay = Address(y, height, addressV);
    if (ax < 0 || ay < 0) return border;
    return Decode(Read(bits + static_cast<size_t>(ay) * pitch, ax));
  }

[[gnu::always_inline]] F4 Point(float u, float v) const {
    const int x = FloorToInt(HoldCoordinate(u * static_cast<float>(width)));
    const int y = FloorToInt(HoldCoordinate(v * static_cast<float>(height)));
    if (x < 0 || x >= width || y < 0 || y >= height) return Addressed(x, y);
    return Decode(Read(bits + static_cast<size_t>(y) * pitch, x));
  }

  [[gnu::always_inline]] F4 Linear(float u, float v) const {
    // Texel centres lie at (i + 0.5) / size.
    const float fu = HoldCoordinate(u * static_cast<float>(width)) - 0.5f;
    const float fv = HoldCoordinate(v * static_cast<float>(height)) - 0.5f;
    const int x = FloorToInt(fu);
    const int y = FloorToInt(fv);
    const float wx = fu - static_cast<float>(x);
    const float wy = fv - static_cast<float>(y);
    F4 a, b, c, d;
    if (x >= 0 && x + 1 < width && y >= 0 && y + 1 < height) {
      const uint8_t* row = bits + static_cast<size_t>(y) * pitch;
      a = Decode(Read(row, x));
      b = Decode(Read(row, x + 1));
      c = Decode(Read(row + pitch, x));
      d = Decode(Read(row + pitch, x + 1));
    } else {
      a = Addressed(x, y);
      b = Addressed(x + 1, y);
      c = Addressed(x, y + 1);
      d = Addressed(x + 1, y + 1);
    }
    const float w00 = (1.f - wx) * (1.f - wy);
    const float w10 = wx * (1.f - wy);
    const float w01 = (1.f - wx) * wy;
    const float w11 = wx * wy;
    return a * w00 + b * w10 + c * w01 + d * w11;
  }
};

[[gnu::always_inline]] inline F4 Factor(DWORD mode, F4 src, F4 dst) {
  switch (mode) {
    case D3DBLEND_ZERO: return F4{};
    case D3DBLEND_SRCCOLOR: return src;
    case D3DBLEND_INVSRCCOLOR: return 1.f - src;
    case D3DBLEND_SRCALPHA: return Splat(src[3]);
    case D3DBLEND_INVSRCALPHA: return Splat(1.f - src[3]);
    case D3DBLEND_DESTALPHA: return Splat(dst[3]);
    case D3DBLEND_INVDESTALPHA: return Splat(1.f - dst[3]);
    case D3DBLEND_DESTCOLOR: return dst;
    case D3DBLEND_INVDESTCOLOR: return 1.f - dst;
    default: return Splat(1.f);  // D3DBLEND_ONE; PlanSpans admits no other
  }
}

struct BlendModes {
  DWORD src;
  DWORD dest;
  DWORD op;
};

[[gnu::always_inline]] inline F4 Blend(BlendModes modes, F4 src, F4 dst) {
  const F4 s = src * Factor(modes.src, src, dst);
  const F4 d = dst * Factor(modes.dest, src, dst);
  switch (modes.op) {
    case D3DBLENDOP_SUBTRACT: return s - d;
    case D3DBLENDOP_REVSUBTRACT: return d - s;
    default: return s + d;
  }
}

I4 LaneMask(const SpanSource sources[4], SpanSource which) {
  I4 mask;
  for (int i = 0; i < 4; ++i) mask[i] = sources[i] == which ? -1 : 0;
  return mask;
}

bool Is32Bit(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

// The lanes of one argument, each from the source its mask picks (constants are pre-masked).
struct Picker {
  Picker(const SpanSource sources[4], const float constants[4])
      : texel(LaneMask(sources, SpanSource::kTexel)),
        texel1(LaneMask(sources, SpanSource::kTexel1)),
        diffuse(LaneMask(sources, SpanSource::kDiffuse)),
        constant(reinterpret_cast<I4>(Load(constants)) & LaneMask(sources, SpanSource::kConstant)) {}

  I4 texel, texel1, diffuse, constant;

  F4 operator()(F4 t, F4 d) const {
    return reinterpret_cast<F4>((reinterpret_cast<I4>(t) & texel) | (reinterpret_cast<I4>(d) & diffuse) | constant);
  }
  F4 operator()(F4 t, F4 t1, F4 d) const {
    return reinterpret_cast<F4>((reinterpret_cast<I4>(t) & texel) | (reinterpret_cast<I4>(t1) & texel1) |
                                (reinterpret_cast<I4>(d) & diffuse) | constant);
  }
};

F4 Lanes(const Color& c) { return F4{c.b, c.g, c.r, c.a}; }

// A texel of a stage in any format, through TextureView::Sample as the general stage reads it;
// 32-bit textures by the sampler, which computes the same.
[[gnu::always_inline]] inline F4 SampleAny(const TextureView& view, const Sampler& sampler, bool is32, float u, float v,
                                           bool linear) {
  if (!is32) return Lanes(view.Sample(u, v, linear));
  return linear ? sampler.Linear(u, v) : sampler.Point(u, v);
}

enum class Filter { kNone, kPoint, kLinear };

// kRich adds what the layers' richer draws need, decided per draw: a second stage's texel, a
// first stage that bumps the second's coordinates, textures of other formats and the specular sum.
// In that form the filter of each stage follows the triangle, and kFilter is kNone.
template <Filter kFilter, bool kBlend, bool kDepth, bool kRich>
void Span(const PixelState& p, const Triangle& t, int y, int left, int right) {
  const SpanPlan& plan = p.span;
  const Sampler sampler(p.views[0]);
  const Sampler sampler1(p.views[1]);
  const Picker pick1(plan.arg1, plan.constant1);
  const Picker pick2(plan.arg2, plan.constant2);
  const F4 low = Load(plan.low);
  const F4 high = Load(plan.high);
  const uint32_t targetAlpha = plan.targetAlpha;
  const BlendModes modes{p.srcBlend, p.destBlend, p.blendOp};
  const bool perspective = t.perspective;
  const bool flat = p.flat;
  const bool alphaTest = p.alphaTest;
  const DWORD alphaFunc = p.alphaFunc;
  const auto alphaRef = static_cast<float>(p.alphaRef);
  const DWORD zFunc = p.zFunc;
  const bool zWrite = p.zWrite;
  float* depthRow = nullptr;
  int depthWidth = 0;
  if constexpr (kDepth) {
    depthWidth = static_cast<int>(p.depth->width());
    if (static_cast<UINT>(y) < p.depth->height()) depthRow = p.depth->depth() + static_cast<size_t>(y) * depthWidth;
  }

  // The planes at the row's start, then each pixel's x step from it, as the general stage does.
  const float fy = static_cast<float>(y) - t.y0;
  constexpr int d = 2 + kDiffuse;
  constexpr int sp = 2 + kSpecular;
  constexpr int c = 2 + kTexcoord;
  const F4 diffuseBase = {t.base[d + 2], t.base[d + 1], t.base[d], t.base[d + 3]};
  const F4 diffuseDx = {t.ddx[d + 2], t.ddx[d + 1], t.ddx[d], t.ddx[d + 3]};
  const F4 diffuseDy = {t.ddy[d + 2], t.ddy[d + 1], t.ddy[d], t.ddy[d + 3]};
  const F4 diffuseRow = diffuseBase + diffuseDy * fy;
  // u, v, q and z; without a texture no u and v.
  F4 coordBase = {0.f, 0.f, t.base[1], t.base[0]};
  F4 coordDx = {0.f, 0.f, t.ddx[1], t.ddx[0]};
  F4 coordDy = {0.f, 0.f, t.ddy[1], t.ddy[0]};
  if (kFilter != Filter::kNone || (kRich && p.texcoordStages > 0)) {
    coordBase = F4{t.base[c], t.base[c + 1], t.base[1], t.base[0]};
    coordDx = F4{t.ddx[c], t.ddx[c + 1], t.ddx[1], t.ddx[0]};
    coordDy = F4{t.ddy[c], t.ddy[c + 1], t.ddy[1], t.ddy[0]};
  }
  const F4 coordRow = coordBase + coordDy * fy;
  // For the richer draws: stage 1's u and v, and the specular colour (no alpha).
  F4 coord1Row{};
  F4 coord1Dx{};
  F4 specularRow{};
  F4 specularDx{};
  bool reads0 = false;
  bool reads1 = false;
  bool is32 = false;
  bool is32For1 = false;
  if constexpr (kRich) {
    if (p.texcoordStages > 1) {
      coord1Dx = F4{t.ddx[c + 2], t.ddx[c + 3], 0.f, 0.f};
      coord1Row = F4{t.base[c + 2], t.base[c + 3], 0.f, 0.f} + F4{t.ddy[c + 2], t.ddy[c + 3], 0.f, 0.f} * fy;
    }
    if (plan.specular) {
      specularDx = F4{t.ddx[sp + 2], t.ddx[sp + 1], t.ddx[sp], 0.f};
      specularRow = F4{t.base[sp + 2], t.base[sp + 1], t.base[sp], 0.f} +
                    F4{t.ddy[sp + 2], t.ddy[sp + 1], t.ddy[sp], 0.f} * fy;
    }
    for (int i = 0; i < 4; ++i) {
      reads0 = reads0 || pick1.texel[i] != 0 || pick2.texel[i] != 0;
      reads1 = reads1 || pick1.texel1[i] != 0 || pick2.texel1[i] != 0;
    }
    is32 = Is32Bit(p.views[0].format);
    is32For1 = Is32Bit(p.views[1].format);
  }
  // The specular sum clamps red, green and blue and leaves alpha alone.
  constexpr float kUnbounded = __builtin_huge_valf();
  const F4 specularLow = {0.f, 0.f, 0.f, -kUnbounded};
  const F4 specularHigh = {1.f, 1.f, 1.f, kUnbounded};

  uint8_t* out = p.target->row(static_cast<UINT>(y)) + static_cast<size_t>(left) * 4;
  for (int x = left; x <= right; ++x, out += 4) {
    const F4 fx = Splat(static_cast<float>(x) - t.x0);
    const F4 coord = coordRow + coordDx * fx;
    float* zSlot = nullptr;
    float z = 0.f;
    if constexpr (kDepth) {
      z = Clamp01(coord[3]);
      if (depthRow == nullptr || x >= depthWidth) continue;
      zSlot = depthRow + x;
      if (!Compare(zFunc, z, *zSlot)) continue;
    }
    F4 color = diffuseRow + diffuseDx * fx;
    float u = coord[0];
    float v = coord[1];
    float u1 = 0.f;
    float v1 = 0.f;
    F4 spec{};
    if constexpr (kRich) {
      const F4 coord1 = coord1Row + coord1Dx * fx;
      u1 = coord1[0];
      v1 = coord1[1];
      spec = specularRow + specularDx * fx;
    }
    if (perspective) {
      const float w = 1.f / coord[2];
      u *= w;
      v *= w;
      u1 *= w;
      v1 *= w;
      // Flat colours are constant planes, never divided by 1/w.
      if (!flat) {
        color *= w;
        spec *= w;
      }
    }
    F4 texel{};
    F4 texel1{};
    if constexpr (kFilter == Filter::kPoint) texel = sampler.Point(u, v);
    if constexpr (kFilter == Filter::kLinear) texel = sampler.Linear(u, v);
    if constexpr (kRich) {
      if (plan.bump) {
        const Color b = p.views[0].Sample(u, v, t.linear[0]);
        const float* m = p.stages[0].bump;
        u1 += m[0] * b.r + m[2] * b.g;
        v1 += m[1] * b.r + m[3] * b.g;
      } else if (reads0) {
        texel = SampleAny(p.views[0], sampler, is32, u, v, t.linear[0]);
      }
      if (reads1) texel1 = SampleAny(p.views[1], sampler1, is32For1, u1, v1, t.linear[1]);
      color = pick1(texel, texel1, color) * pick2(texel, texel1, color);
    } else {
      color = pick1(texel, color) * pick2(texel, color);
    }
    color = color < low ? low : color;
    color = color > high ? high : color;
    if constexpr (kRich) {
      if (plan.specular) {
        color += spec;
        color = color < specularLow ? specularLow : color;
        color = color > specularHigh ? specularHigh : color;
      }
    }
    if (alphaTest && !Compare(alphaFunc, static_cast<float>(ToByte(color[3])), alphaRef)) {
      continue;
    }
    if constexpr (kBlend) {
      uint32_t dst;
      std::memcpy(&dst, out, 4);
      color = Blend(modes, color, Decode(dst | targetAlpha));
    }
    const uint32_t pixel = Encode(color) | targetAlpha;
    std::memcpy(out, &pixel, 4);
    if constexpr (kDepth) {
      if (zWrite) *zSlot = z;
    }
  }
}

template <Filter kFilter, bool kBlend, bool kRich>
SpanFunction Routine(bool depth) {
  return depth ? &Span<kFilter, kBlend, true, kRich> : &Span<kFilter, kBlend, false, kRich>;
}

template <Filter kFilter, bool kRich = false>
SpanFunction Routine(bool blend, bool depth) {
  return blend ? Routine<kFilter, true, kRich>(depth) : Routine<kFilter, false, kRich>(depth);
}

bool PlainFactor(DWORD mode) {
  switch (mode) {
    case D3DBLEND_ZERO:
    case D3DBLEND_ONE:
    case D3DBLEND_SRCCOLOR:
    case D3DBLEND_INVSRCCOLOR:
    case D3DBLEND_SRCALPHA:
    case D3DBLEND_INVSRCALPHA:
    case D3DBLEND_DESTALPHA:
    case D3DBLEND_INVDESTALPHA:
    case D3DBLEND_DESTCOLOR:
    case D3DBLEND_INVDESTCOLOR:
      return true;
    default:
      return false;
  }
}

// One operand of a lane's product.
struct Term {
  SpanSource source = SpanSource::kConstant;
  float constant = 1.f;
};

// One argument of a stage as a term, or `current` for CURRENT; false for what the routines do not
// compute. `texel` is the source of the stage's own texture.
bool Resolve(DWORD arg, SpanSource texel, const Color& factor, int lane, Term& term, bool& current) {
  if (arg & (D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) return false;
  current = false;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: term = {SpanSource::kDiffuse, 0.f}; return true;
    case D3DTA_CURRENT: current = true; return true;
    case D3DTA_TEXTURE: term = {texel, 0.f}; return true;
    case D3DTA_TFACTOR: {
      const float channels[4] = {factor.b, factor.g, factor.r, factor.a};
      term = {SpanSource::kConstant, channels[lane]};
      return true;
    }
    default: return false;
  }
}

// Lane i after a stage's operation, from what the lane held before it (CURRENT).
bool Apply(SpanPlan& plan, int i, DWORD op, DWORD arg1, DWORD arg2, SpanSource texel, const Color& factor) {
  const Term before{plan.arg1[i], plan.constant1[i]};
  // CURRENT as one factor of a product: a single term (times 1) that its clamp cannot cut, being
  // unclamped yet or a texel or constant, which lie in 0..1 already.
  const bool single = plan.arg2[i] == SpanSource::kConstant && plan.constant2[i] == 1.f;
  const bool unclamped = plan.low[i] < 0.f && plan.high[i] > 1.f;
  const bool inRange = before.source == SpanSource::kTexel || before.source == SpanSource::kTexel1 ||
                       (before.source == SpanSource::kConstant && before.constant >= 0.f && before.constant <= 1.f);
  auto set = [&](Term a, Term b) {
    plan.arg1[i] = a.source;
    plan.constant1[i] = a.constant;
    plan.arg2[i] = b.source;
    plan.constant2[i] = b.constant;
    plan.low[i] = 0.f;
    plan.high[i] = 1.f;
  };
  Term a;
  Term b;
  bool currentA = false;
  bool currentB = false;
  switch (op) {
    case D3DTOP_SELECTARG1:
    case D3DTOP_SELECTARG2:
      if (!Resolve(op == D3DTOP_SELECTARG1 ? arg1 : arg2, texel, factor, i, a, currentA)) return false;
      if (currentA) {
        plan.low[i] = std::max(plan.low[i], 0.f);
        plan.high[i] = std::min(plan.high[i], 1.f);
      } else {
        set(a, Term{});
      }
      return true;
    case D3DTOP_MODULATE:
      if (!Resolve(arg1, texel, factor, i, a, currentA) || !Resolve(arg2, texel, factor, i, b, currentB)) return false;
      if (currentA && currentB) return false;
      if (currentA || currentB) {
        if (!single || !(unclamped || inRange)) return false;
        if (currentA) a = before;
        if (currentB) b = before;
      }
      set(a, b);
      return true;
    default: return false;
  }
}

}  // namespace

void UseGeneralPixelStageOnly(bool general) { generalOnly.store(general, std::memory_order_relaxed); }

void PlanSpans(PixelState& p) {
  p.span = SpanPlan{};
  if (generalOnly.load(std::memory_order_relaxed)) return;
  if (p.program != nullptr || p.writeMask != 0xf || p.stageCount > 2) return;
  if (!Is32Bit(p.target->format())) return;
  if (p.blend && (p.separateAlphaBlend || !PlainFactor(p.srcBlend) || !PlainFactor(p.destBlend) ||
                  (p.blendOp != D3DBLENDOP_ADD && p.blendOp != D3DBLENDOP_SUBTRACT &&
                   p.blendOp != D3DBLENDOP_REVSUBTRACT))) {
    return;
  }
  SpanPlan plan;
  // Lanes no stage changes pass the diffuse colour through unclamped: the default plan.
  constexpr float kUnbounded = __builtin_huge_valf();
  for (int i = 0; i < 4; ++i) {
    plan.low[i] = -kUnbounded;
    plan.high[i] = kUnbounded;
  }
  for (int s = 0; s < p.stageCount; ++s) {
    const StageSetup& st = p.stages[s];
    const bool bound = p.views[s].bound();
    if (st.colorOp == D3DTOP_BUMPENVMAP) {
      // Without its texture the stage passes CURRENT through; with it, it moves the next stage.
      if (!bound) continue;
      if (s != 0 || p.stageCount != 2) return;
      plan.bump = true;
      continue;
    }
    const SpanSource texel = s == 0 ? SpanSource::kTexel : SpanSource::kTexel1;
    // A stage reading a texture that is not bound passes CURRENT through.
    if (bound || !st.colorReadsTexture) {
      for (int i = 0; i < 3; ++i) {
        if (!Apply(plan, i, st.colorOp, st.colorArg1, st.colorArg2, texel, p.textureFactor)) return;
      }
    }
    if (st.alphaOp != D3DTOP_DISABLE && (bound || !st.alphaReadsTexture)) {
      if (!Apply(plan, 3, st.alphaOp, st.alphaArg1, st.alphaArg2, texel, p.textureFactor)) return;
    }
  }
  if (p.specular) {
    if (p.specularColour) {
      plan.specular = true;
    } else {
      // Adding a black specular colour still clamps the colour to 0..1.
      for (int i = 0; i < 3; ++i) {
        plan.low[i] = std::max(plan.low[i], 0.f);
        plan.high[i] = std::min(plan.high[i], 1.f);
      }
    }
  }
  bool readsTexel = false;
  bool readsTexel1 = false;
  for (int i = 0; i < 4; ++i) {
    for (SpanSource source : {plan.arg1[i], plan.arg2[i]}) {
      readsTexel = readsTexel || source == SpanSource::kTexel;
      readsTexel1 = readsTexel1 || source == SpanSource::kTexel1;
    }
  }
  const bool depth = p.depth != nullptr;
  plan.targetAlpha = p.target->format() == D3DFMT_X8R8G8B8 ? kOpaque : 0;
  if (plan.bump || plan.specular || readsTexel1 || (readsTexel && !Is32Bit(p.views[0].format))) {
    plan.point = plan.linear = Routine<Filter::kNone, true>(p.blend, depth);
  } else if (readsTexel) {
    plan.point = Routine<Filter::kPoint>(p.blend, depth);
    plan.linear = Routine<Filter::kLinear>(p.blend, depth);
  } else {
    plan.point = plan.linear = Routine<Filter::kNone>(p.blend, depth);
  }
  p.span = plan;
}

}  // namespace d3d9
