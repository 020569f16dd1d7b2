// Set-up triangles waiting to be rasterized. A full batch (or the end of a draw) is drawn band by
// band: each band of rows draws every triangle of the batch that reaches it, in the order they came,
// so the picture equals that of one thread drawing the triangles one after the other.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/d3d9/raster.h"

namespace d3d9 {

class TriangleQueue {
 public:
  TriangleQueue(const PixelState& pixels, DWORD cullMode) : pixels_(pixels), cullMode_(cullMode) {}
  TriangleQueue(const TriangleQueue&) = delete;
  TriangleQueue& operator=(const TriangleQueue&) = delete;
  ~TriangleQueue() { Flush(); }

  // Sets up a triangle; `cull` false draws it whatever its winding (points).
  void Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull = true);
  void Flush();

 private:
  const PixelState& pixels_;
  DWORD cullMode_;
  std::vector<Triangle> triangles_;
  // The triangles that reach each band of a flush, in their order: band b's are
  // bandTriangles_[bandStart_[b] .. bandStart_[b + 1]).
  std::vector<uint32_t> bandStart_;
  std::vector<uint32_t> bandTriangles_;
  int64_t coveredPixels_ = 0;  // of the boxes of the batch
  int top_ = 0;                // rows the boxes of the batch cover, inclusive
  int bottom_ = 0;
};

}  // namespace d3d9
