// How many copies of one object are worth drawing: as many as cover the area they are seen in a few
// times over. Past that, a further copy is drawn only over others of its kind, yet every frame pays
// for it; a document that asks for millions would make every frame slow for nothing seen.
#pragma once
#include <windows.h>

#include <algorithm>
#include <climits>

// Layers of copies over one place that can still be told apart.
inline constexpr UINT kCopyLayersSeen = 4;
// The smallest side of a copy, in picture pixels, counted in the bound: below it a copy is a speck,
// and specks would allow any number.
inline constexpr double kSmallestCopySide = 8.0;

// Copies of side `copySide` pixels over an area of `area` square pixels: enough for kCopyLayersSeen
// layers, and never fewer than kCopyLayersSeen however small the area.
inline UINT CopiesSeen(double area, double copySide) {
  const double side = copySide > kSmallestCopySide ? copySide : kSmallestCopySide;
  const double copies = area > 0.0 ? kCopyLayersSeen * area / (side * side) : 0.0;
  return static_cast<UINT>(std::clamp(copies, double(kCopyLayersSeen), double(UINT_MAX)));
}
