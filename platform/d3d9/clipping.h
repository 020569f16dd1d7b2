// Clipping of triangles in homogeneous clip space: the near and far planes (0 <= z <= w) and a guard
// band around the viewport, wide enough that whatever lies inside it stays exact in the rasterizer's
// fixed-point coordinates. Triangles inside all planes pass untouched.
#pragma once

#include "platform/d3d9/vertex_processing.h"

namespace d3d9 {

constexpr int kMaxClippedVertices = 9;  // a triangle cut by six planes

struct ClipBand {
  float gx;  // |x| <= gx * w
  float gy;  // |y| <= gy * w
};

// The planes a vertex lies outside, one bit per plane; a vertex with a non-finite coordinate is
// outside all of them.
int OutCode(const ClipVertex& v, const ClipBand& band);

// Clips triangle (a, b, c) whose outcodes are given; writes the polygon, in the triangle's winding,
// to `out` and returns its vertex count (0 when nothing is left). Each new vertex is interpolated
// from the inside end of its edge, so two triangles that share an edge cut it at the same point.
int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, int codes, const ClipBand& band,
                 int attributes, ClipVertex out[kMaxClippedVertices]);

}  // namespace d3d9
