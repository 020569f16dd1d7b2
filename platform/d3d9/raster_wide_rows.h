// The families of wide rows, one per way a pixel gets its colour. Each is compiled once per
// instruction set in a file of its own, so that the families build in parallel; WideRows picks one.
#pragma once

namespace d3d9 {

struct PixelState;
struct Triangle;
struct RowSpan;

// No texel is read: the diffuse colour alone.
void UntexturedRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
// Stage 0's 32-bit texel by point sampling.
void PointRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
// Stage 0's 32-bit texel by bilinear sampling.
void LinearRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
// Two stages, or a stage filtered as the triangle says: blended, and written over the target; each
// with and without a depth buffer, the largest families being split once more.
void RichBlendedDepthRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
void RichBlendedNoDepthRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
void RichOpaqueDepthRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
void RichOpaqueNoDepthRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);
// A pixel program colours the pixels.
void ProgramRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);

}  // namespace d3d9
