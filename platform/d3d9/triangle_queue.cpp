#include "platform/d3d9/triangle_queue.h"

#include <algorithm>
#include <span>

#include "platform/d3d9/bands.h"

namespace d3d9 {

namespace {

constexpr size_t kBatch = 8192;
// Below this many pixels a batch is drawn on the calling thread: waking the workers costs more.
constexpr int64_t kParallelPixels = 16384;

}  // namespace

void TriangleSink::Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull) {
  Triangle& t = out_.emplace_back();
  if (!SetupTriangle(pixels_, a, b, c, cull ? cullMode_ : DWORD{D3DCULL_NONE}, t)) out_.pop_back();
}

void TriangleQueue::Add(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, bool cull) {
  TriangleSink(pixels_, cullMode_, lists_[0]).Add(a, b, c, cull);
  if (lists_[0].size() >= kBatch) Flush();
}

void TriangleQueue::AddShares(int shares, const std::function<void(int, TriangleSink&)>& share) {
  Flush();
  if (lists_.size() < static_cast<size_t>(shares)) lists_.resize(static_cast<size_t>(shares));
  ForEachBand(shares, [&](int s) {
    TriangleSink sink(pixels_, cullMode_, lists_[static_cast<size_t>(s)]);
    share(s, sink);
  });
  filled_ = static_cast<size_t>(shares);
  Flush();
}

void TriangleQueue::Flush() {
  const auto lists = std::span(lists_).first(filled_);
  size_t count = 0;
  int64_t coveredPixels = 0;  // of the boxes of the batch
  int top = 0;                // rows the boxes of the batch cover, inclusive
  int bottom = -1;
  for (const std::vector<Triangle>& list : lists) {
    for (const Triangle& t : list) {
      top = count == 0 ? t.top : std::min(top, t.top);
      bottom = count == 0 ? t.bottom : std::max(bottom, t.bottom);
      coveredPixels += int64_t{t.right - t.left + 1} * (t.bottom - t.top + 1);
      ++count;
    }
  }
  if (count > 0 && coveredPixels < kParallelPixels) {
    for (const std::vector<Triangle>& list : lists) {
      for (const Triangle& t : list) RasterizeRows(pixels_, t, t.top, t.bottom + 1);
    }
  } else if (count > 0) {
    const int rows = bottom - top + 1;
    const int bandRows = std::clamp(rows / kBandsWanted, 1, kBandRows);
    const int bands = (rows + bandRows - 1) / bandRows;
    // Each band is handed the triangles that reach it, rather than looking through the whole batch
    // (thousands of small triangles for a mesh, each band reaching a few of them).
    bandStart_.assign(static_cast<size_t>(bands) + 1, 0);
    for (const std::vector<Triangle>& list : lists) {
      for (const Triangle& t : list) {
        for (int b = (t.top - top) / bandRows; b <= (t.bottom - top) / bandRows; ++b) ++bandStart_[b + 1];
      }
    }
    for (int b = 0; b < bands; ++b) bandStart_[b + 1] += bandStart_[b];
    bandTriangles_.resize(bandStart_[bands]);
    std::vector<uint32_t> next(bandStart_.begin(), bandStart_.end() - 1);
    for (const std::vector<Triangle>& list : lists) {
      for (const Triangle& t : list) {
        for (int b = (t.top - top) / bandRows; b <= (t.bottom - top) / bandRows; ++b) bandTriangles_[next[b]++] = &t;
      }
    }
    ForEachBand(bands, [&](int band) {
      const int rowBegin = top + band * bandRows;
      const int rowEnd = std::min(rowBegin + bandRows, bottom + 1);
      for (uint32_t k = bandStart_[band]; k < bandStart_[band + 1]; ++k) {
        RasterizeRows(pixels_, *bandTriangles_[k], rowBegin, rowEnd);
      }
    });
  }
  for (std::vector<Triangle>& list : lists) list.clear();
  filled_ = 1;
}

}  // namespace d3d9
