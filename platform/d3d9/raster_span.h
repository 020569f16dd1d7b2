// Rows of the pixel states the layers draw every frame, by routines made for them once per draw:
// up to two texture stages of SELECTARG1, SELECTARG2 or MODULATE over the stage's texture, CURRENT,
// the diffuse colour and the texture factor (or a BUMPENVMAP first stage that moves the second
// stage's coordinates) or a pixel program, the specular sum, a 32-bit target, blending by the plain factors, with or
// without depth. The routines (raster_wide.h) work on several pixels per register but do, lane by
// lane, the very single-precision operations of the general pixel stage in the same order, so the
// picture is the same bit for bit; every other state is drawn by the general pixel stage.
#pragma once
#include <cstdint>

namespace d3d9 {

struct PixelState;
struct Triangle;

// The covered pixels [left, right] of one row of a triangle; empty when left > right.
struct RowSpan {
  int left;
  int right;
};

// Draws rows top .. top + count - 1 of a triangle, row r over spans[r].
using SpanFunction = void (*)(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans,
                              int count);

// Where one lane of a stage argument comes from: the texel of stage 0 or stage 1, the diffuse
// colour or a constant.
enum class SpanSource : uint8_t { kTexel, kDiffuse, kConstant, kTexel1 };

// Lanes run in the byte order of a 32-bit pixel: blue, green, red, alpha.
struct SpanPlan {
  SpanFunction point = nullptr;  // for triangles sampled by point; null: the general pixel stage draws
  SpanFunction linear = nullptr;  // for triangles sampled bilinearly
  // The stages as a product arg1 * arg2 per lane (a selected argument times the constant 1),
  // clamped to [low, high]: 0..1, or unbounded where no stage changes the diffuse colour.
  SpanSource arg1[4] = {SpanSource::kDiffuse, SpanSource::kDiffuse, SpanSource::kDiffuse, SpanSource::kDiffuse};
  SpanSource arg2[4] = {SpanSource::kConstant, SpanSource::kConstant, SpanSource::kConstant, SpanSource::kConstant};
  float constant1[4] = {};
  float constant2[4] = {1.f, 1.f, 1.f, 1.f};
  float low[4] = {};
  float high[4] = {};
  uint32_t targetAlpha = 0;  // ORed into each target pixel read and written: 0xff000000 without alpha
  bool texel = false;        // the texel of stage 0 is read
  bool rich = false;         // more than stage 0's 32-bit texel and the diffuse colour
  // Alpha is the diffuse alpha (times a constant), blended by SRCALPHA and INVSRCALPHA with no
  // depth written: where the diffuse alpha is 0 the target keeps every pixel as it is.
  bool transparentKeepsTarget = false;
  bool bump = false;         // stage 0 moves the coordinates of stage 1 by its texel
  bool specular = false;     // the specular colour is added to red, green and blue
};

// Decodes the plan of a pixel state made by MakePixelState (left empty for the general stage).
void PlanSpans(PixelState& pixels);

// With `general` on, every draw goes through the general pixel stage: tests compare both ways.
void UseGeneralPixelStageOnly(bool general);

}  // namespace d3d9
