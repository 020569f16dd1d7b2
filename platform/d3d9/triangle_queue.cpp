#include "platform/d3d9/triangle_queue.h"

#include <algorithm>

#include "platform/d3d9/bands.h"

namespace d3d9 {

namespace {

constexpr size_t kBatch = 8192;
// Below this many pixels a batch is drawn on the calling thread: waking the workers costs more.
constexpr int64_t kParallelPixels = 16384;

}  // namespace

void TriangleQueue::Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull) {
  Triangle& t = triangles_.emplace_back();
  if (!SetupTriangle(pixels_, a, b, c, cull ? cullMode_ : DWORD{D3DCULL_NONE}, t)) {
    triangles_.pop_back();
    return;
  }
  if (triangles_.size() == 1) {
    top_ = t.top;
    bottom_ = t.bottom;
  } else {
    top_ = std::min(top_, t.top);
    bottom_ = std::max(bottom_, t.bottom);
  }
  coveredPixels_ += int64_t{t.right - t.left + 1} * (t.bottom - t.top + 1);
  if (triangles_.size() >= kBatch) Flush();
}

void TriangleQueue::Flush() {
  if (triangles_.empty()) return;
  if (coveredPixels_ < kParallelPixels) {
    for (const Triangle& t : triangles_) RasterizeRows(pixels_, t, t.top, t.bottom + 1);
  } else {
    const int rows = bottom_ - top_ + 1;
    const int bandRows = std::clamp(rows / kBandsWanted, 1, kBandRows);
    const int bands = (rows + bandRows - 1) / bandRows;
    ForEachBand(bands, [&](int band) {
      const int rowBegin = top_ + band * bandRows;
      const int rowEnd = std::min(rowBegin + bandRows, bottom_ + 1);
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
