// The tiled pattern's arithmetic over a block, compiled for every instruction set and chosen at run
// time: the program's own share of a full-screen pass, which the plain loops only ran four lanes at
// a time.
#pragma once
#include "platform/d3d9/pixel_program.h"

struct PatternPlacement {
  float width;   // the tile's shape, (width, height)
  float height;
  float offsetU;
  float offsetV;
  float m0, m1, m2, m3;  // the turn and repeat, already scaled by the zoom
};

// Where each lane reads the pattern: the picture's (u, v) in tile units, turned, moved and wrapped
// into 0..1.
void PatternLookups(const PatternPlacement& place, const d3d9::PixelBlock& in, float* tu, float* tv);
// The pattern over `out` by its own alpha held to 0..1 times `weight` (which it overwrites with the
// cover); alpha is left as the background's.
void PatternOver(const d3d9::ColorBlock& pattern, float* weight, d3d9::ColorBlock& out);
