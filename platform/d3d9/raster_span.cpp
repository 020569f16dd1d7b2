#include "platform/d3d9/raster_span.h"

#include <algorithm>
#include <atomic>

#include "platform/d3d9/raster.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/d3d9/resources.h"

namespace d3d9 {

namespace {

std::atomic<bool> generalOnly{false};

bool Is32Bit(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

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
bool Apply(SpanPlan& plan, int i, DWORD op, DWORD arg1, DWORD arg2, SpanSource texel, const Color& factor,
           bool firstTexelInRange) {
  const Term before{plan.arg1[i], plan.constant1[i]};
  // CURRENT as one factor of a product: a single term (times 1) that its clamp cannot cut, being
  // unclamped yet or a stage 0 texel or constant in 0..1 already.
  const bool single = plan.arg2[i] == SpanSource::kConstant && plan.constant2[i] == 1.f;
  const bool unclamped = plan.low[i] < 0.f && plan.high[i] > 1.f;
  const bool inRange = (before.source == SpanSource::kTexel && firstTexelInRange) ||
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

// The specular sum of the pixel state.
void PlanSpecular(const PixelState& p, SpanPlan& plan) {
  if (!p.specular) return;
  if (p.specularColour) {
    plan.specular = true;
    return;
  }
  // Adding a black specular colour still clamps the colour to 0..1.
  for (int i = 0; i < 3; ++i) {
    plan.low[i] = std::max(plan.low[i], 0.f);
    plan.high[i] = std::min(plan.high[i], 1.f);
  }
}

}  // namespace

void UseGeneralPixelStageOnly(bool general) { generalOnly.store(general, std::memory_order_relaxed); }

void PlanSpans(PixelState& p) {
  p.span = SpanPlan{};
  if (generalOnly.load(std::memory_order_relaxed)) return;
  if (p.writeMask != 0xf || !Is32Bit(p.target->format())) return;
  if (p.blend && (p.separateAlphaBlend || !PlainFactor(p.srcBlend) || !PlainFactor(p.destBlend) ||
                  (p.blendOp != D3DBLENDOP_ADD && p.blendOp != D3DBLENDOP_SUBTRACT &&
                   p.blendOp != D3DBLENDOP_REVSUBTRACT))) {
    return;
  }
  SpanPlan plan;
  // Lanes no stage changes pass the diffuse colour (or a program's colour) through unclamped: the
  // default plan.
  constexpr float kUnbounded = __builtin_huge_valf();
  for (int i = 0; i < 4; ++i) {
    plan.low[i] = -kUnbounded;
    plan.high[i] = kUnbounded;
  }
  plan.targetAlpha = p.target->format() == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u;
  plan.point = plan.linear = &WideRows;
  if (p.program != nullptr) {
    PlanSpecular(p, plan);
    p.span = plan;
    return;
  }
  if (p.stageCount > 2) return;
  // Texels of the signed formats reach below 0: clamping them changes them.
  const bool inRange = p.views[0].format != D3DFMT_V8U8 && p.views[0].format != D3DFMT_V16U16;
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
        if (!Apply(plan, i, st.colorOp, st.colorArg1, st.colorArg2, texel, p.textureFactor, inRange)) return;
      }
    }
    if (st.alphaOp != D3DTOP_DISABLE && (bound || !st.alphaReadsTexture)) {
      if (!Apply(plan, 3, st.alphaOp, st.alphaArg1, st.alphaArg2, texel, p.textureFactor, inRange)) return;
    }
  }
  PlanSpecular(p, plan);
  bool readsTexel = false;
  bool readsTexel1 = false;
  for (int i = 0; i < 4; ++i) {
    for (SpanSource source : {plan.arg1[i], plan.arg2[i]}) {
      readsTexel = readsTexel || source == SpanSource::kTexel;
      readsTexel1 = readsTexel1 || source == SpanSource::kTexel1;
    }
  }
  plan.texel = readsTexel;
  plan.rich = plan.bump || plan.specular || readsTexel1 || (readsTexel && !Is32Bit(p.views[0].format));
  plan.transparentKeepsTarget = p.blend && p.srcBlend == D3DBLEND_SRCALPHA && p.destBlend == D3DBLEND_INVSRCALPHA &&
                                p.blendOp == D3DBLENDOP_ADD && (p.depth == nullptr || !p.zWrite) &&
                                ((plan.arg1[3] == SpanSource::kDiffuse && plan.arg2[3] == SpanSource::kConstant) ||
                                 (plan.arg1[3] == SpanSource::kConstant && plan.arg2[3] == SpanSource::kDiffuse));
  p.span = plan;
}

}  // namespace d3d9
