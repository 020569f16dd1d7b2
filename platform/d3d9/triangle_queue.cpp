#include "platform/d3d9/triangle_queue.h"

#include <algorithm>
#include <cstdint>

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
  TriangleSink(pixels_, cullMode_, shares_[0].triangles).Add(a, b, c, cull);
  if (shares_[0].triangles.size() >= kBatch) Flush();
}

void TriangleQueue::Share::Measure() {
  top = INT32_MAX;
  bottom = INT32_MIN;
  coveredPixels = 0;
  for (const Triangle& t : triangles) {
    top = std::min(top, t.top);
    bottom = std::max(bottom, t.bottom);
    coveredPixels += int64_t{t.right - t.left + 1} * (t.bottom - t.top + 1);
  }
}

// Each band is handed the triangles that reach it, rather than looking through the whole batch
// (thousands of small triangles for a mesh, each band reaching a few of them).
void TriangleQueue::Share::Bin(const BandLayout& layout) {
  bandStart.assign(static_cast<size_t>(layout.bands) + 1, 0);
  for (const Triangle& t : triangles) {
    for (int b = (t.top - layout.top) / layout.rows; b <= (t.bottom - layout.top) / layout.rows; ++b) {
      ++bandStart[b + 1];
    }
  }
  for (int b = 0; b < layout.bands; ++b) bandStart[b + 1] += bandStart[b];
  bandTriangles.resize(bandStart[layout.bands]);
  std::vector<uint32_t> next(bandStart.begin(), bandStart.end() - 1);
  for (uint32_t i = 0; i < triangles.size(); ++i) {
    const Triangle& t = triangles[i];
    for (int b = (t.top - layout.top) / layout.rows; b <= (t.bottom - layout.top) / layout.rows; ++b) {
      bandTriangles[next[b]++] = i;
    }
  }
}

// Bands at most kBandRows high, and narrower where the triangles cover few rows, so that there are
// about kBandsWanted bands for the threads to share.
TriangleQueue::BandLayout TriangleQueue::LayoutOf(std::span<const Share> shares) {
  int top = INT32_MAX;
  int bottom = INT32_MIN;
  for (const Share& share : shares) {
    top = std::min(top, share.top);
    bottom = std::max(bottom, share.bottom);
  }
  if (bottom < top) return {0, 1, 0};  // no triangles
  const int rows = bottom - top + 1;
  const int bandRows = std::clamp(rows / kBandsWanted, 1, kBandRows);
  return {top, bandRows, (rows + bandRows - 1) / bandRows};
}

void TriangleQueue::AddShares(int shares, const std::function<void(int, TriangleSink&)>& share) {
  Flush();
  if (shares_.size() < static_cast<size_t>(shares)) shares_.resize(static_cast<size_t>(shares));
  const std::span<Share> made = std::span(shares_).first(static_cast<size_t>(shares));
  ForEachBand(shares, [&](int s) {
    Share& own = made[static_cast<size_t>(s)];
    TriangleSink sink(pixels_, cullMode_, own.triangles);
    share(s, sink);
    own.Measure();
  });
  // Each share bins its own triangles once the rows they all cover are known.
  int64_t coveredPixels = 0;
  for (const Share& own : made) coveredPixels += own.coveredPixels;
  const BandLayout layout = LayoutOf(made);
  if (coveredPixels >= kParallelPixels) ForEachBand(shares, [&](int s) { made[static_cast<size_t>(s)].Bin(layout); });
  Draw(made, layout);
  for (Share& own : made) own.triangles.clear();
}

void TriangleQueue::Flush() {
  const std::span<Share> batch = std::span(shares_).first(1);
  if (batch[0].triangles.empty()) return;
  batch[0].Measure();
  const BandLayout layout = LayoutOf(batch);
  // A batch that Draw leaves to the calling thread needs no bands.
  if (batch[0].coveredPixels >= kParallelPixels) batch[0].Bin(layout);
  Draw(batch, layout);
  batch[0].triangles.clear();
}

void TriangleQueue::Draw(std::span<Share> shares, const BandLayout& layout) {
  int64_t coveredPixels = 0;
  for (const Share& share : shares) coveredPixels += share.coveredPixels;
  if (coveredPixels < kParallelPixels) {
    for (const Share& share : shares) {
      for (const Triangle& t : share.triangles) RasterizeRows(pixels_, t, t.top, t.bottom + 1);
    }
    return;
  }
  ForEachBand(layout.bands, [&](int band) {
    const int rowBegin = layout.top + band * layout.rows;
    for (const Share& share : shares) {
      for (uint32_t k = share.bandStart[band]; k < share.bandStart[band + 1]; ++k) {
        RasterizeRows(pixels_, share.triangles[share.bandTriangles[k]], rowBegin, rowBegin + layout.rows);
      }
    }
  });
}

}  // namespace d3d9
