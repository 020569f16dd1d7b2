// Set-up triangles waiting to be rasterized. A full batch (or the end of a draw) is drawn band by
// band: each band of rows draws every triangle of the batch that reaches it, in the order they came,
// so the picture equals that of one thread drawing the triangles one after the other.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
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
  TriangleQueue(const PixelState& pixels, DWORD cullMode) : pixels_(pixels), cullMode_(cullMode), shares_(1) {}
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
  // Rows [top, top + bands * rows) in bands of `rows` rows.
  struct BandLayout {
    int top;
    int rows;
    int bands;
  };

  // A list of set-up triangles, the rows they cover and, once binned, those that reach each band:
  // band b's are triangles[bandTriangles[bandStart[b] .. bandStart[b + 1])], in their order.
  struct Share {
    std::vector<Triangle> triangles;
    int top = 0;  // rows the triangles cover, inclusive, once measured
    int bottom = -1;
    int64_t coveredPixels = 0;  // of the boxes of the triangles
    std::vector<uint32_t> bandStart;
    std::vector<uint32_t> bandTriangles;

    void Measure();
    void Bin(const BandLayout& layout);
  };

  // The bands over the rows that the measured shares cover.
  static BandLayout LayoutOf(std::span<const Share> shares);
  // Draws the triangles of the shares, share after share, band by band on the render threads; on
  // the calling thread alone when there are too few pixels to be worth waking the workers.
  void Draw(std::span<Share> shares, const BandLayout& layout);

  const PixelState& pixels_;
  DWORD cullMode_;
  // Add fills the first share; AddShares uses as many as it is given.
  std::vector<Share> shares_;
};

}  // namespace d3d9
