// Rendering in bands of rows on the machine's cores. Each band is drawn by exactly one thread, in the
// order of the draw's triangles, so the result is the same as on a single thread.
#pragma once
#include <functional>

namespace d3d9 {

// Bands are at most this many rows high, and narrower where a draw covers few rows, so that it
// still makes about kBandsWanted bands for the threads to share.
constexpr int kBandRows = 16;
constexpr int kBandsWanted = 64;

// Calls work(band) once for each band in [0, bands), on the calling thread and the workers.
void ForEachBand(int bands, const std::function<void(int)>& work);

}  // namespace d3d9
