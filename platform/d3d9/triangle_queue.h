// Set-up triangles waiting to be rasterized. A full batch (or the end of a draw) is drawn band by
// band: each band of rows draws every triangle of the batch that reaches it, in the order they came,
// so the picture equals that of one thread drawing the triangles one after the other.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/d3d9/raster.h"

namespace d3d9 {

// Sets up triangles into a list, in the order they come.
class TriangleSink {
 public:
  TriangleSink(const PixelState& pixels, DWORD cullMode, std::vector<Triangle>& out)
      : pixels_(pixels), cullMode_(cullMode), out_(out) {}

  // Sets up a triangle; `cull` false draws it whatever its winding (points).
  void Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull = true);

 private:
  const PixelState& pixels_;
  DWORD cullMode_;
  std::vector<Triangle>& out_;
};

class TriangleQueue {
 public:
  TriangleQueue(const PixelState& pixels, DWORD cullMode) : pixels_(pixels), cullMode_(cullMode), lists_(1) {}
  TriangleQueue(const TriangleQueue&) = delete;
  TriangleQueue& operator=(const TriangleQueue&) = delete;
  ~TriangleQueue() { Flush(); }

  // Sets up a triangle; `cull` false draws it whatever its winding (points).
  void Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull = true);
  // Sets up the triangles of shares 0 .. shares - 1 of a draw on the render threads, share(s, sink)
  // adding those of share s, then draws them all in the order of the shares.
  void AddShares(int shares, const std::function<void(int, TriangleSink&)>& share);
  void Flush();

 private:
  const PixelState& pixels_;
  DWORD cullMode_;
  // The batch, list after list: Add fills the first; AddShares one list per share.
  std::vector<std::vector<Triangle>> lists_;
  size_t filled_ = 1;  // lists of the batch
  // The triangles that reach each band of a flush, in their order: band b's are
  // bandTriangles_[bandStart_[b] .. bandStart_[b + 1]).
  std::vector<uint32_t> bandStart_;
  std::vector<const Triangle*> bandTriangles_;
};

}  // namespace d3d9
