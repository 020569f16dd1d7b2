#include "platform/d3d9/triangle_queue.h"

#include <algorithm>

#include "platform/d3d9/bands.h"

namespace d3d9 {

namespace {

constexpr size_t kBatch = 2048;
// Below this many pixels a batch is drawn on the calling thread: waking the workers costs more.
constexpr int64_t kParallelPixels = 16384;

}  // namespace

void TriangleQueue::Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull) {
  Triangle& t = triangles_.emplace_back();
  if (!SetupTriangle(pixels_, a, b, c, cull ? cullMode_ : DWORD{D3DCULL_NONE}, t)) {
    triangles_.pop_back();
    return;
  }
  coveredPixels_ += int64_t{t.right - t.left + 1} * (t.bottom - t.top + 1);
  if (triangles_.size() >= kBatch) Flush();
}

void TriangleQueue::Flush() {
  if (triangles_.empty()) return;
  if (coveredPixels_ < kParallelPixels) {
    for (const Triangle& t : triangles_) RasterizeRows(pixels_, t, t.top, t.bottom + 1);
  } else {
    const int top = pixels_.clipTop;
    const int bottom = pixels_.clipBottom;
    const int bands = (bottom - top + kBandRows - 1) / kBandRows;
    ForEachBand(bands, [&](int band) {
      const int rowBegin = top + band * kBandRows;
      const int rowEnd = std::min(rowBegin + kBandRows, bottom);
      for (const Triangle& t : triangles_) {
        if (t.bottom < rowBegin || t.top >= rowEnd) continue;
        RasterizeRows(pixels_, t, rowBegin, rowEnd);
      }
    });
  }
  triangles_.clear();
  coveredPixels_ = 0;
}

}  // namespace d3d9
