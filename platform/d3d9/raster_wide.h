// Rows of the plain pixel states (at most one stage over a 32-bit texture, no specular sum), several
// pixels per register on the widest instruction set of the machine, chosen when the program runs.
// Each lane does the very single-precision operations of the general pixel stage in the same order
// (no fused multiply-add), so every instruction set draws the same picture, bit for bit.
#pragma once
#include <string>
#include <vector>

namespace d3d9 {

struct PixelState;
struct Triangle;
struct RowSpan;
struct TextureView;
struct ColorBlock;

// Draws rows top .. top + count - 1 of a triangle whose pixel state has a span plan.
void WideRows(const PixelState& pixels, const Triangle& triangle, int top, const RowSpan* spans, int count);

// TextureView::Sample of a bound texture at (u[i], v[i]) into lane i of `out`, for every lane of a
// pixel program's block, bilinear where either filter is.
void SampleBlock(const TextureView& view, const float* u, const float* v, ColorBlock& out);
// SampleBlock's red channel alone.
void SampleBlockRed(const TextureView& view, const float* u, const float* v, float* red);
// SampleBlock's red and green channels alone.
void SampleBlockRedGreen(const TextureView& view, const float* u, const float* v, float* red, float* green);

// The instruction sets the wide rows were built for that this machine runs, widest first.
std::vector<std::string> WideTargets();

// Runs the wide rows on the named instruction set (one of WideTargets) from now on; an empty name
// returns to the machine's widest. For tests that compare instruction sets.
void UseWideTarget(const std::string& name);

}  // namespace d3d9
