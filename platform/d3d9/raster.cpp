#include "platform/d3d9/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/resources.h"

namespace d3d9 {

namespace {

constexpr int64_t kSubpixel = 256;
constexpr float kMaxCoordinate = 1 << 20;

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }  // b > 0

int64_t Snap(float v) {
  const float c = std::clamp(v, -kMaxCoordinate, kMaxCoordinate);
  return static_cast<int64_t>(std::lround(c * static_cast<float>(kSubpixel)));
}

Color FromD3DColor(DWORD c) {
  constexpr float k = 1.f / 255.f;
  return {static_cast<float>((c >> 16) & 0xff) * k, static_cast<float>((c >> 8) & 0xff) * k,
          static_cast<float>(c & 0xff) * k, static_cast<float>(c >> 24) * k};
}

bool ReadsTexture(DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

// What the texture stages read of one pixel.
struct PixelInput {
  Color diffuse;
  Color specular;
  float texcoord[kStageCount][2] = {};
};

struct StageInputs {
  const Color* diffuse;
  const Color* specular;
  const Color* current;
  const Color* texture;
  const Color* factor;
};

Color Argument(DWORD arg, const StageInputs& in) {
  Color c;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: c = *in.diffuse; break;
    case D3DTA_CURRENT: c = *in.current; break;
    case D3DTA_TEXTURE: c = *in.texture; break;
    case D3DTA_TFACTOR: c = *in.factor; break;
    case D3DTA_SPECULAR: c = *in.specular; break;
    default: c = Color{}; break;
  }
  if (arg & D3DTA_COMPLEMENT) c = {1.f - c.r, 1.f - c.g, 1.f - c.b, 1.f - c.a};
  if (arg & D3DTA_ALPHAREPLICATE) c.r = c.g = c.b = c.a;
  return c;
}

// One channel of a stage operation; `blend` holds the alphas the BLEND* operations read.
inline float Operate(DWORD op, float a1, float a2, const float blend[4]) {
  switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 * a2;
    case D3DTOP_MODULATE2X: return 2.f * a1 * a2;
    case D3DTOP_MODULATE4X: return 4.f * a1 * a2;
    case D3DTOP_ADD: return a1 + a2;
    case D3DTOP_ADDSIGNED: return a1 + a2 - 0.5f;
    case D3DTOP_SUBTRACT: return a1 - a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return a1 * blend[0] + a2 * (1.f - blend[0]);
    case D3DTOP_BLENDTEXTUREALPHA: return a1 * blend[1] + a2 * (1.f - blend[1]);
    case D3DTOP_BLENDFACTORALPHA: return a1 * blend[2] + a2 * (1.f - blend[2]);
    case D3DTOP_BLENDCURRENTALPHA: return a1 * blend[3] + a2 * (1.f - blend[3]);
    default: return a1;
  }
}

struct BlendFactors {
  float r, g, b, a;
};

BlendFactors Factor(DWORD mode, const Color& src, const Color& dst) {
  switch (mode) {
    case D3DBLEND_ZERO: return {0, 0, 0, 0};
    case D3DBLEND_ONE: return {1, 1, 1, 1};
    case D3DBLEND_SRCCOLOR: return {src.r, src.g, src.b, src.a};
    case D3DBLEND_INVSRCCOLOR: return {1 - src.r, 1 - src.g, 1 - src.b, 1 - src.a};
    case D3DBLEND_SRCALPHA: return {src.a, src.a, src.a, src.a};
    case D3DBLEND_INVSRCALPHA: return {1 - src.a, 1 - src.a, 1 - src.a, 1 - src.a};
    case D3DBLEND_DESTALPHA: return {dst.a, dst.a, dst.a, dst.a};
    case D3DBLEND_INVDESTALPHA: return {1 - dst.a, 1 - dst.a, 1 - dst.a, 1 - dst.a};
    case D3DBLEND_DESTCOLOR: return {dst.r, dst.g, dst.b, dst.a};
    case D3DBLEND_INVDESTCOLOR: return {1 - dst.r, 1 - dst.g, 1 - dst.b, 1 - dst.a};
    case D3DBLEND_SRCALPHASAT: {
      const float f = std::min(src.a, 1 - dst.a);
      return {f, f, f, 1};
    }
    default: return {1, 1, 1, 1};
  }
}

inline float Combine(DWORD op, float s, float d) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT: return s - d;
    case D3DBLENDOP_REVSUBTRACT: return d - s;
    case D3DBLENDOP_MIN: return std::min(s, d);
    case D3DBLENDOP_MAX: return std::max(s, d);
    default: return s + d;
  }
}

Color Blend(const PixelState& p, const Color& src, const Color& dst) {
  const BlendFactors sf = Factor(p.srcBlend, src, dst);
  const BlendFactors df = Factor(p.destBlend, src, dst);
  Color out;
  const bool minMax = p.blendOp == D3DBLENDOP_MIN || p.blendOp == D3DBLENDOP_MAX;
  out.r = Combine(p.blendOp, minMax ? src.r : src.r * sf.r, minMax ? dst.r : dst.r * df.r);
  out.g = Combine(p.blendOp, minMax ? src.g : src.g * sf.g, minMax ? dst.g : dst.g * df.g);
  out.b = Combine(p.blendOp, minMax ? src.b : src.b * sf.b, minMax ? dst.b : dst.b * df.b);
  // Without separate alpha blending the alpha channel is blended with the colour factors.
  DWORD opA = p.blendOp;
  float saf = sf.a;
  float daf = df.a;
  if (p.separateAlphaBlend) {
    opA = p.blendOpAlpha;
    saf = Factor(p.srcBlendAlpha, src, dst).a;
    daf = Factor(p.destBlendAlpha, src, dst).a;
  }
  const bool minMaxA = opA == D3DBLENDOP_MIN || opA == D3DBLENDOP_MAX;
  out.a = Combine(opA, minMaxA ? src.a : src.a * saf, minMaxA ? dst.a : dst.a * daf);
  return out;
}

// The texture stages: CURRENT starts as the diffuse colour; a stage whose operation reads a texture
// that is not bound passes CURRENT through; BUMPENVMAP moves the next stage's coordinates.
Color RunStages(const PixelState& p, const bool linear[], const PixelInput& in) {
  Color current = in.diffuse;
  float bumpU = 0.f;
  float bumpV = 0.f;
  bool bumped = false;
  for (int s = 0; s < p.stageCount; ++s) {
    const StageSetup& st = p.stages[s];
    const TextureView& view = p.views[s];
    float u = in.texcoord[s][0];
    float v = in.texcoord[s][1];
    if (bumped) {
      u += bumpU;
      v += bumpV;
      bumped = false;
    }
    if (st.colorOp == D3DTOP_BUMPENVMAP) {
      if (view.bound()) {
        const Color t = view.Sample(u, v, linear[s]);
        bumpU = st.bump[0] * t.r + st.bump[2] * t.g;
        bumpV = st.bump[1] * t.r + st.bump[3] * t.g;
        bumped = true;
      }
      continue;
    }
    const bool bound = view.bound();
    Color texel;
    if (bound && (st.colorReadsTexture || st.alphaReadsTexture)) texel = view.Sample(u, v, linear[s]);
    const StageInputs inputs{&in.diffuse, &in.specular, &current, &texel, &p.textureFactor};
    Color out = current;
    if (bound || !st.colorReadsTexture) {
      const Color a1 = Argument(st.colorArg1, inputs);
      const Color a2 = Argument(st.colorArg2, inputs);
      const float blend[4] = {in.diffuse.a, texel.a, p.textureFactor.a, current.a};
      out.r = Clamp01(Operate(st.colorOp, a1.r, a2.r, blend));
      out.g = Clamp01(Operate(st.colorOp, a1.g, a2.g, blend));
      out.b = Clamp01(Operate(st.colorOp, a1.b, a2.b, blend));
    }
    if (st.alphaOp != D3DTOP_DISABLE && (bound || !st.alphaReadsTexture)) {
      const Color a1 = Argument(st.alphaArg1, inputs);
      const Color a2 = Argument(st.alphaArg2, inputs);
      const float blend[4] = {in.diffuse.a, texel.a, p.textureFactor.a, current.a};
      out.a = Clamp01(Operate(st.alphaOp, a1.a, a2.a, blend));
    }
    current = out;
  }
  return current;
}

Color ReadTarget(D3DFORMAT format, const uint8_t* pixel) {
  return DecodeTexel(format, pixel);
}

}  // namespace

PixelState MakePixelState(const DeviceState& s, Surface* target, Surface* depth, const PixelProgram* program) {
  PixelState p;
  p.target = target;
  p.depth = depth;
  const D3DVIEWPORT9& v = s.viewport;
  p.clipLeft = static_cast<int>(std::min<UINT>(v.X, target->width()));
  p.clipTop = static_cast<int>(std::min<UINT>(v.Y, target->height()));
  p.clipRight = static_cast<int>(std::min<uint64_t>(uint64_t{v.X} + v.Width, target->width()));
  p.clipBottom = static_cast<int>(std::min<uint64_t>(uint64_t{v.Y} + v.Height, target->height()));
  p.zFunc = s.Render(D3DRS_ZFUNC);
  p.zWrite = s.Render(D3DRS_ZWRITEENABLE) != FALSE;
  p.alphaTest = s.Render(D3DRS_ALPHATESTENABLE) != FALSE;
  p.alphaFunc = s.Render(D3DRS_ALPHAFUNC);
  p.alphaRef = static_cast<int>(s.Render(D3DRS_ALPHAREF) & 0xff);
  p.blend = s.Render(D3DRS_ALPHABLENDENABLE) != FALSE;
  p.srcBlend = s.Render(D3DRS_SRCBLEND);
  p.destBlend = s.Render(D3DRS_DESTBLEND);
  p.blendOp = s.Render(D3DRS_BLENDOP);
  p.separateAlphaBlend = s.Render(D3DRS_SEPARATEALPHABLENDENABLE) != FALSE;
  p.srcBlendAlpha = s.Render(D3DRS_SRCBLENDALPHA);
  p.destBlendAlpha = s.Render(D3DRS_DESTBLENDALPHA);
  p.blendOpAlpha = s.Render(D3DRS_BLENDOPALPHA);
  p.writeMask = s.Render(D3DRS_COLORWRITEENABLE) & 0xf;
  p.specular = s.Render(D3DRS_SPECULARENABLE) != FALSE;
  p.flat = s.Render(D3DRS_SHADEMODE) == D3DSHADE_FLAT;
  p.textureFactor = FromD3DColor(s.Render(D3DRS_TEXTUREFACTOR));
  p.program = program != nullptr && *program ? program : nullptr;
  // Vertices carry a specular colour only from their FVF or from lighting; without one the
  // specular sum adds zero.
  const bool pretransformed = (s.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  p.specularColour = (s.fvf & D3DFVF_SPECULAR) != 0 || (s.Render(D3DRS_LIGHTING) != FALSE && !pretransformed);
  // A target without alpha keeps no alpha to blend or to mask.
  if (target->format() == D3DFMT_X8R8G8B8) {
    p.separateAlphaBlend = false;
    p.writeMask |= D3DCOLORWRITEENABLE_ALPHA;
  }
  // Blending by ONE and ZERO gives the source colour itself.
  const auto keepsSource = [](DWORD src, DWORD dest, DWORD op) {
    return src == D3DBLEND_ONE && dest == D3DBLEND_ZERO && (op == D3DBLENDOP_ADD || op == D3DBLENDOP_SUBTRACT);
  };
  if (p.blend && keepsSource(p.srcBlend, p.destBlend, p.blendOp) &&
      (!p.separateAlphaBlend || keepsSource(p.srcBlendAlpha, p.destBlendAlpha, p.blendOpAlpha))) {
    p.blend = false;
  }

  for (DWORD i = 0; i < kStageCount; ++i) {
    TextureView& view = p.views[i];
    if (auto* texture = dynamic_cast<Texture*>(s.textures[i])) {
      Surface& level = texture->level(0);
      view.bits = level.row(0);
      view.width = static_cast<int>(level.width());
      view.height = static_cast<int>(level.height());
      view.pitch = level.pitch();
      view.format = level.format();
    }
    view.addressU = s.Sampler(i, D3DSAMP_ADDRESSU);
    view.addressV = s.Sampler(i, D3DSAMP_ADDRESSV);
    view.magFilter = s.Sampler(i, D3DSAMP_MAGFILTER);
    view.minFilter = s.Sampler(i, D3DSAMP_MINFILTER);
    view.border = FromD3DColor(s.Sampler(i, D3DSAMP_BORDERCOLOR));
  }

  if (p.program != nullptr) {
    p.texcoordStages = kProgramStages;
    PlanSpans(p);
    return p;
  }
  for (DWORD i = 0; i < kStageCount; ++i) {
    const DWORD op = s.Stage(i, D3DTSS_COLOROP);
    if (op == D3DTOP_DISABLE) break;
    StageSetup& st = p.stages[i];
    st.colorOp = op;
    st.colorArg1 = s.Stage(i, D3DTSS_COLORARG1);
    st.colorArg2 = s.Stage(i, D3DTSS_COLORARG2);
    st.alphaOp = s.Stage(i, D3DTSS_ALPHAOP);
    st.alphaArg1 = s.Stage(i, D3DTSS_ALPHAARG1);
    st.alphaArg2 = s.Stage(i, D3DTSS_ALPHAARG2);
    const bool oneArg1 = op == D3DTOP_SELECTARG1;
    const bool oneArg2 = op == D3DTOP_SELECTARG2;
    st.colorReadsTexture = (!oneArg2 && ReadsTexture(st.colorArg1)) || (!oneArg1 && ReadsTexture(st.colorArg2)) ||
                           op == D3DTOP_BLENDTEXTUREALPHA;
    const DWORD aop = st.alphaOp;
    st.alphaReadsTexture = aop != D3DTOP_DISABLE &&
                           ((aop != D3DTOP_SELECTARG2 && ReadsTexture(st.alphaArg1)) ||
                            (aop != D3DTOP_SELECTARG1 && ReadsTexture(st.alphaArg2)) || aop == D3DTOP_BLENDTEXTUREALPHA);
    for (int k = 0; k < 4; ++k) st.bump[k] = FloatOf(s.Stage(i, static_cast<D3DTEXTURESTAGESTATETYPE>(D3DTSS_BUMPENVMAT00 + k)));
    p.stageCount = static_cast<int>(i) + 1;
  }
  // Trailing stages that read a texture that is not bound pass CURRENT through unchanged: they are
  // dropped, so that a stage left on by an earlier draw costs nothing.
  while (p.stageCount > 0) {
    const StageSetup& st = p.stages[p.stageCount - 1];
    const bool passes = !p.views[p.stageCount - 1].bound() &&
                        (st.colorOp == D3DTOP_BUMPENVMAP ||
                         (st.colorReadsTexture && (st.alphaOp == D3DTOP_DISABLE || st.alphaReadsTexture)));
    if (!passes) break;
    p.stages[--p.stageCount] = StageSetup{};
  }
  p.texcoordStages = p.stageCount;
  PlanSpans(p);
  return p;
}

bool SetupTriangle(const PixelState& p, const ScreenVertex& a, const ScreenVertex& b0, const ScreenVertex& c0,
                   DWORD cullMode, Triangle& t) {
  int64_t x[3] = {Snap(a.x), Snap(b0.x), Snap(c0.x)};
  int64_t y[3] = {Snap(a.y), Snap(b0.y), Snap(c0.y)};
  const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (area == 0) return false;
  // On screen (y down) a positive area runs clockwise.
  if (cullMode == D3DCULL_CCW && area < 0) return false;
  if (cullMode == D3DCULL_CW && area > 0) return false;
  const ScreenVertex* v[3] = {&a, &b0, &c0};
  if (area < 0) {
    std::swap(x[1], x[2]);
    std::swap(y[1], y[2]);
    std::swap(v[1], v[2]);
  }

  const int64_t minX = std::min({x[0], x[1], x[2]});
  const int64_t maxX = std::max({x[0], x[1], x[2]});
  const int64_t minY = std::min({y[0], y[1], y[2]});
  const int64_t maxY = std::max({y[0], y[1], y[2]});
  t.left = static_cast<int>(std::max<int64_t>(CeilDiv(minX, kSubpixel), p.clipLeft));
  t.right = static_cast<int>(std::min<int64_t>(FloorDiv(maxX, kSubpixel), p.clipRight - 1));
  t.top = static_cast<int>(std::max<int64_t>(CeilDiv(minY, kSubpixel), p.clipTop));
  t.bottom = static_cast<int>(std::min<int64_t>(FloorDiv(maxY, kSubpixel), p.clipBottom - 1));
  if (t.left > t.right || t.top > t.bottom) return false;

  for (int e = 0; e < 3; ++e) {
    const int i = e;
    const int j = (e + 1) % 3;
    const int64_t dx = x[j] - x[i];
    const int64_t dy = y[j] - y[i];
    // Pixels on a top edge or a left edge belong to the triangle; the others to their neighbour.
    const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
    t.edgeDx[e] = -dy * kSubpixel;  // change per pixel step in x
    t.edgeDy[e] = dx * kSubpixel;   // change per pixel step in y
    t.edgeC[e] = dy * x[i] - dx * y[i] + (topLeft ? 0 : -1);
  }

  // Attribute planes from the snapped positions.
  const float fx[3] = {static_cast<float>(x[0]) / kSubpixel, static_cast<float>(x[1]) / kSubpixel,
                       static_cast<float>(x[2]) / kSubpixel};
  const float fy[3] = {static_cast<float>(y[0]) / kSubpixel, static_cast<float>(y[1]) / kSubpixel,
                       static_cast<float>(y[2]) / kSubpixel};
  t.x0 = fx[0];
  t.y0 = fy[0];
  const float dx1 = fx[1] - fx[0];
  const float dy1 = fy[1] - fy[0];
  const float dx2 = fx[2] - fx[0];
  const float dy2 = fy[2] - fy[0];
  const float det = dx1 * dy2 - dx2 * dy1;
  if (!(std::fabs(det) > 0.f)) return false;
  const float inv = 1.f / det;
  t.perspective = v[0]->q != v[1]->q || v[1]->q != v[2]->q;
  const int count = 2 + kTexcoord + 2 * p.texcoordStages;
  auto plane = [&](int index, float f0, float f1, float f2) {
    t.base[index] = f0;
    t.ddx[index] = ((f1 - f0) * dy2 - (f2 - f0) * dy1) * inv;
    t.ddy[index] = ((f2 - f0) * dx1 - (f1 - f0) * dx2) * inv;
  };
  plane(0, v[0]->z, v[1]->z, v[2]->z);
  plane(1, v[0]->q, v[1]->q, v[2]->q);
  for (int k = 2; k < count; ++k) {
    const int at = k - 2;
    // The provoking vertex gives the colour of a flat-shaded triangle.
    if (p.flat && at < kTexcoord) {
      plane(k, a.attr[at], a.attr[at], a.attr[at]);
      continue;
    }
    if (t.perspective) {
      plane(k, v[0]->attr[at] * v[0]->q, v[1]->attr[at] * v[1]->q, v[2]->attr[at] * v[2]->q);
    } else {
      plane(k, v[0]->attr[at], v[1]->attr[at], v[2]->attr[at]);
    }
  }

  // A triangle of alpha 0 everywhere adds nothing to the pixels it blends over (colours times 0,
  // the target times 1): it is left out. Without perspective no 1/w can make the 0 a NaN.
  constexpr int kAlphaPlane = 2 + kDiffuse + 3;
  if (p.span.transparentKeepsTarget && !t.perspective && t.base[kAlphaPlane] == 0.f && t.ddx[kAlphaPlane] == 0.f &&
      t.ddy[kAlphaPlane] == 0.f) {
    return false;
  }

  // Magnification or minification per stage: texel area against pixel area.
  const float pixelArea = std::fabs(det);
  for (int s = 0; s < static_cast<int>(kStageCount); ++s) {
    const TextureView& view = p.views[s];
    if (s >= p.texcoordStages || !view.bound()) {
      t.linear[s] = false;
      continue;
    }
    const int u = kTexcoord + 2 * s;
    const float du1 = (v[1]->attr[u] - v[0]->attr[u]) * view.width;
    const float dv1 = (v[1]->attr[u + 1] - v[0]->attr[u + 1]) * view.height;
    const float du2 = (v[2]->attr[u] - v[0]->attr[u]) * view.width;
    const float dv2 = (v[2]->attr[u + 1] - v[0]->attr[u + 1]) * view.height;
    const bool minify = std::fabs(du1 * dv2 - du2 * dv1) > pixelArea;
    t.linear[s] = (minify ? view.minFilter : view.magFilter) >= D3DTEXF_LINEAR;
  }
  return true;
}

namespace {

// The block of a pixel program's inputs for pixels x .. x + kBlockPixels - 1 of row y, each value
// straight from its plane as the general pixel stage computes it.
void FillBlock(const PixelState& p, const Triangle& t, int x, int y, PixelBlock& block) {
  block.x = x;
  block.y = y;
  const float fy = static_cast<float>(y) - t.y0;
  // Loops of a fixed length over plain arrays, which the compiler vectorises.
  float fx[kBlockPixels];
  for (int i = 0; i < kBlockPixels; ++i) fx[i] = static_cast<float>(x + i) - t.x0;
  float w[kBlockPixels];
  if (t.perspective) {
    const float start = t.base[1] + t.ddy[1] * fy;
    for (int i = 0; i < kBlockPixels; ++i) w[i] = 1.f / (start + t.ddx[1] * fx[i]);
  }
  auto plane = [&](int k, bool divide, float* out) {
    const float start = t.base[k] + t.ddy[k] * fy;
    const float step = t.ddx[k];
    for (int i = 0; i < kBlockPixels; ++i) out[i] = start + step * fx[i];
    if (divide) {
      for (int i = 0; i < kBlockPixels; ++i) out[i] *= w[i];
    }
  };
  // Flat colours are constant planes, never divided by 1/w.
  for (int c = 0; c < 4; ++c) plane(2 + kDiffuse + c, t.perspective && !p.flat, block.diffuse[c]);
  for (int s = 0; s < kProgramStages; ++s) {
    plane(2 + kTexcoord + 2 * s, t.perspective, block.u[s]);
    plane(2 + kTexcoord + 2 * s + 1, t.perspective, block.v[s]);
  }
}

}  // namespace

void RasterizeRows(const PixelState& p, const Triangle& t, int rowBegin, int rowEnd) {
  const int top = std::max(t.top, rowBegin);
  const int bottom = std::min(t.bottom, rowEnd - 1);
  if (top > bottom) return;
  Surface& target = *p.target;
  const D3DFORMAT format = target.format();
  const UINT bytes = BytesPerTexel(format);
  const bool fast32 = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
  Surface* depth = p.depth;
  const int depthWidth = depth != nullptr ? static_cast<int>(depth->width()) : 0;
  const int depthHeight = depth != nullptr ? static_cast<int>(depth->height()) : 0;
  const int count = 2 + kTexcoord + 2 * p.texcoordStages;
  const TextureSampler sampler(p.views);
  const SpanFunction span = t.linear[0] ? p.span.linear : p.span.point;

  // The covered span of a row, exactly from the edge functions.
  auto cover = [&](int y) {
    int64_t left = t.left;
    int64_t right = t.right;
    for (int e = 0; e < 3 && left <= right; ++e) {
      const int64_t row = t.edgeC[e] + t.edgeDy[e] * y;
      const int64_t step = t.edgeDx[e];
      if (step > 0) {
        left = std::max(left, CeilDiv(-row, step));
      } else if (step < 0) {
        right = std::min(right, FloorDiv(row, -step));
      } else if (row < 0) {
        right = left - 1;
      }
    }
    return RowSpan{static_cast<int>(left), static_cast<int>(std::max(right, left - 1))};
  };

  if (span != nullptr) {
    // The routines take the rows in runs, so that what holds for the whole triangle is set up once
    // per run rather than once per row.
    constexpr int kRun = 64;
    RowSpan spans[kRun];
    for (int first = top; first <= bottom; first += kRun) {
      const int count = std::min(kRun, bottom - first + 1);
      for (int r = 0; r < count; ++r) spans[r] = cover(first + r);
      span(p, t, first, spans, count);
    }
    return;
  }

  // Blending by SRCALPHA and INVSRCALPHA, the usual one, is written out: the same products and sums
  // Blend makes, without its calls per pixel.
  const bool alphaBlend = p.srcBlend == D3DBLEND_SRCALPHA && p.destBlend == D3DBLEND_INVSRCALPHA &&
                          p.blendOp == D3DBLENDOP_ADD && !p.separateAlphaBlend;
  // A pixel program colours a row's pixels a block at a time.
  PixelBlock block;
  ColorBlock colors;
  for (int y = top; y <= bottom; ++y) {
    const RowSpan covered = cover(y);
    const int64_t left = covered.left;
    const int64_t right = covered.right;
    if (left > right) continue;

    // Each pixel's values straight from the planes: the row's start plus x steps, never summed
    // pixel by pixel, so that any pixel of a row (and any group of them) can be computed alone.
    float rowStart[kMaxAttributes + 2];
    float value[kMaxAttributes + 2];
    const float fy = static_cast<float>(y) - t.y0;
    for (int k = 0; k < count; ++k) rowStart[k] = t.base[k] + t.ddy[k] * fy;

    uint8_t* out = target.row(static_cast<UINT>(y));
    float* depthRow = depth != nullptr && y < depthHeight ? depth->depth() + static_cast<size_t>(y) * depthWidth : nullptr;
    for (int64_t xi = left; xi <= right; ++xi) {
      const int x = static_cast<int>(xi);
      const int lane = static_cast<int>((xi - left) % kBlockPixels);
      if (p.program != nullptr && lane == 0) {
        FillBlock(p, t, x, y, block);
        block.count = static_cast<int>(std::min<int64_t>(kBlockPixels, right - xi + 1));
        (*p.program)(block, sampler, colors);
      }
      const float fx = static_cast<float>(x) - t.x0;
      if (count == kProgramPlanes) {
        // The planes a pixel program takes: a fixed count the compiler unrolls.
        for (int k = 0; k < kProgramPlanes; ++k) value[k] = rowStart[k] + t.ddx[k] * fx;
      } else {
        for (int k = 0; k < count; ++k) value[k] = rowStart[k] + t.ddx[k] * fx;
      }
      const float z = Clamp01(value[0]);
      float* zSlot = nullptr;
      if (depth != nullptr) {
        if (depthRow == nullptr || x >= depthWidth) continue;
        zSlot = depthRow + x;
        if (!Compare(p.zFunc, z, *zSlot)) continue;
      }
      const float w = t.perspective ? 1.f / value[1] : 1.f;
      PixelInput in;
      const float* attr = value + 2;
      // Flat colours are constant planes, never divided by 1/w.
      const float cw = p.flat ? 1.f : w;
      in.diffuse = {attr[kDiffuse] * cw, attr[kDiffuse + 1] * cw, attr[kDiffuse + 2] * cw, attr[kDiffuse + 3] * cw};
      in.specular = {attr[kSpecular] * cw, attr[kSpecular + 1] * cw, attr[kSpecular + 2] * cw, 0.f};
      if (p.texcoordStages == kProgramStages) {
        for (int s = 0; s < kProgramStages; ++s) {
          in.texcoord[s][0] = attr[kTexcoord + 2 * s] * w;
          in.texcoord[s][1] = attr[kTexcoord + 2 * s + 1] * w;
        }
      } else {
        for (int s = 0; s < p.texcoordStages; ++s) {
          in.texcoord[s][0] = attr[kTexcoord + 2 * s] * w;
          in.texcoord[s][1] = attr[kTexcoord + 2 * s + 1] * w;
        }
      }
      Color color = p.program != nullptr ? Color{colors.r[lane], colors.g[lane], colors.b[lane], colors.a[lane]}
                                         : RunStages(p, t.linear, in);
      if (p.specular) {
        color.r = Clamp01(color.r + in.specular.r);
        color.g = Clamp01(color.g + in.specular.g);
        color.b = Clamp01(color.b + in.specular.b);
      }
      if (p.alphaTest && !Compare(p.alphaFunc, static_cast<float>(ToByte(color.a)), static_cast<float>(p.alphaRef))) {
        continue;
      }
      uint8_t* pixel = out + static_cast<size_t>(x) * bytes;
      Color dst;
      const bool needDst = p.blend || p.writeMask != 0xf;
      if (needDst) {
        if (fast32) {
          const Float4 d = Decode32x4(pixel, format == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u);
          dst = {d[0], d[1], d[2], d[3]};
        } else {
          dst = ReadTarget(format, pixel);
        }
      }
      if (p.blend) {
        if (alphaBlend) {
          const float a = color.a;
          const float ia = 1 - a;
          color = {color.r * a + dst.r * ia, color.g * a + dst.g * ia, color.b * a + dst.b * ia, color.a * a + dst.a * ia};
        } else {
          color = Blend(p, color, dst);
        }
      }
      if (p.writeMask != 0xf) {
        if (!(p.writeMask & D3DCOLORWRITEENABLE_RED)) color.r = dst.r;
        if (!(p.writeMask & D3DCOLORWRITEENABLE_GREEN)) color.g = dst.g;
        if (!(p.writeMask & D3DCOLORWRITEENABLE_BLUE)) color.b = dst.b;
        if (!(p.writeMask & D3DCOLORWRITEENABLE_ALPHA)) color.a = dst.a;
      }
      if (fast32) {
        const uint32_t a = format == D3DFMT_A8R8G8B8 ? ToByte(color.a) : 0xffu;
        const uint32_t packed =
            (a << 24) | (uint32_t{ToByte(color.r)} << 16) | (uint32_t{ToByte(color.g)} << 8) | ToByte(color.b);
        std::memcpy(pixel, &packed, 4);
      } else {
        EncodeTexel(format, color, pixel);
      }
      if (zSlot != nullptr && p.zWrite) *zSlot = z;
    }
  }
}

}  // namespace d3d9
