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

// Calls rows(begin, end) on bands that together cover rows [top, bottom) of `width` pixels each:
// on the calling thread alone when there are too few pixels to be worth waking the workers.
void ForEachRowBand(int top, int bottom, int width, const std::function<void(int, int)>& rows);

// How many threads draw: 0 (the default) for every core of the machine, 1 for the calling thread
// alone. The picture is the same for every count; measuring tools set it.
void SetRenderThreads(unsigned count);

}  // namespace d3d9
