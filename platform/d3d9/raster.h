// Triangle setup and rasterization: Direct3D 9's pixel centres (pixel (i, j) is sampled at (i, j)),
// the top-left fill rule on 1/256-pixel snapped vertices, perspective-correct attributes, then the
// pixel stage (texture stages or a pixel program, specular, alpha test, depth, blending).
#pragma once
#include <cstdint>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/color.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_program.h"
#include "platform/d3d9/raster_span.h"
#include "platform/d3d9/texture_view.h"

namespace d3d9 {

class Surface;

// Attributes carried by a vertex: diffuse rgba, specular rgb, then (u, v) for each stage.
constexpr int kDiffuse = 0;
constexpr int kSpecular = 4;
constexpr int kTexcoord = 7;
constexpr int kMaxAttributes = kTexcoord + 2 * static_cast<int>(kStageCount);

// The pixels of a pixel program take this many planes (z, 1/w, then the attributes).
constexpr int kProgramPlanes = 2 + kTexcoord + 2 * kProgramStages;

struct ScreenVertex {
  float x = 0.f;  // pixels
  float y = 0.f;
  float z = 0.f;  // depth 0..1
  float q = 1.f;  // 1 / w
  float attr[kMaxAttributes] = {};
};

struct StageSetup {
  DWORD colorOp = D3DTOP_DISABLE;
  DWORD colorArg1 = D3DTA_TEXTURE;
  DWORD colorArg2 = D3DTA_CURRENT;
  DWORD alphaOp = D3DTOP_DISABLE;
  DWORD alphaArg1 = D3DTA_TEXTURE;
  DWORD alphaArg2 = D3DTA_CURRENT;
  bool colorReadsTexture = false;
  bool alphaReadsTexture = false;
  float bump[4] = {};  // BUMPENVMAT00, 01, 10, 11
};

// The pixel stage of one draw, decoded from the device state once.
struct PixelState {
  Surface* target = nullptr;
  Surface* depth = nullptr;
  int clipLeft = 0;  // viewport cut to the target, [left, right) x [top, bottom)
  int clipTop = 0;
  int clipRight = 0;
  int clipBottom = 0;
  DWORD zFunc = D3DCMP_LESSEQUAL;
  bool zWrite = true;
  bool alphaTest = false;
  DWORD alphaFunc = D3DCMP_ALWAYS;
  int alphaRef = 0;
  bool blend = false;
  DWORD srcBlend = D3DBLEND_ONE;
  DWORD destBlend = D3DBLEND_ZERO;
  DWORD blendOp = D3DBLENDOP_ADD;
  bool separateAlphaBlend = false;
  DWORD srcBlendAlpha = D3DBLEND_ONE;
  DWORD destBlendAlpha = D3DBLEND_ZERO;
  DWORD blendOpAlpha = D3DBLENDOP_ADD;
  DWORD writeMask = 0xf;
  bool specular = false;
  bool specularColour = true;  // false: every vertex's specular colour is black
  bool flat = false;
  Color textureFactor;
  int stageCount = 0;      // stages before the first disabled one
  int texcoordStages = 0;  // stages whose coordinates are interpolated
  StageSetup stages[kStageCount];
  TextureView views[kStageCount];
  const PixelProgram* program = nullptr;
  SpanPlan span;  // the routines for its rows, where it has them
};

inline float Clamp01(float v) { return v < 0.f ? 0.f : (v > 1.f ? 1.f : v); }

// The depth and alpha tests.
inline bool Compare(DWORD func, float value, float reference) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true;
  }
}

PixelState MakePixelState(const DeviceState& state, Surface* target, Surface* depth, const PixelProgram* program);

struct Triangle {
  // Edge e covers pixel (X, Y) when edgeC + edgeDx * X + edgeDy * Y >= 0 (the fill rule is in edgeC).
  int64_t edgeDx[3];
  int64_t edgeDy[3];
  int64_t edgeC[3];
  int left, right, top, bottom;  // covered pixel box, inclusive
  float x0, y0;                  // plane origin
  bool perspective;
  bool linear[kStageCount];
  // Planes: value(x, y) = base + dx * (x - x0) + dy * (y - y0); index 0 is z, 1 is q, then attributes.
  float base[kMaxAttributes + 2];
  float ddx[kMaxAttributes + 2];
  float ddy[kMaxAttributes + 2];
};

// Sets up a triangle for drawing, or returns false when it is culled, degenerate or covers no pixel.
bool SetupTriangle(const PixelState& pixels, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                   DWORD cullMode, Triangle& out);

// Draws rows [rowBegin, rowEnd) of a triangle.
void RasterizeRows(const PixelState& pixels, const Triangle& triangle, int rowBegin, int rowEnd);

}  // namespace d3d9
