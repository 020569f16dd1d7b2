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
    // Each band is handed the triangles that reach it, rather than looking through the whole batch
    // (thousands of small triangles for a mesh, each band reaching a few of them).
    bandStart_.assign(static_cast<size_t>(bands) + 1, 0);
    for (const Triangle& t : triangles_) {
      for (int b = (t.top - top_) / bandRows; b <= (t.bottom - top_) / bandRows; ++b) ++bandStart_[b + 1];
    }
    for (int b = 0; b < bands; ++b) bandStart_[b + 1] += bandStart_[b];
    bandTriangles_.resize(bandStart_[bands]);
    std::vector<uint32_t> next(bandStart_.begin(), bandStart_.end() - 1);
    for (uint32_t i = 0; i < triangles_.size(); ++i) {
      const Triangle& t = triangles_[i];
      for (int b = (t.top - top_) / bandRows; b <= (t.bottom - top_) / bandRows; ++b) bandTriangles_[next[b]++] = i;
    }
    ForEachBand(bands, [&](int band) {
      const int rowBegin = top_ + band * bandRows;
      const int rowEnd = std::min(rowBegin + bandRows, bottom_ + 1);
      for (uint32_t k = bandStart_[band]; k < bandStart_[band + 1]; ++k) {
        RasterizeRows(pixels_, triangles_[bandTriangles_[k]], rowBegin, rowEnd);
      }
    });
  }
  triangles_.clear();
  coveredPixels_ = 0;
}

}  // namespace d3d9
