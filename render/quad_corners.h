// Four corners of a rectangle in triangle-strip order, the form in which rectangles pass between
// the parts of the scene. Standard layout, with y growing downward: corner 0 bottom-left, 1 top-left,
// 2 bottom-right, 3 top-right, so a strip 0-1-2-3 covers the rectangle and v = 0 is the top edge.
#pragma once
#include "document/texture_entry.h"

struct QuadCorner {
  float x, y, z, u, v;
};

struct QuadCorners {
  // Every x and y 0, every z 1, texture coordinates (0,1), (0,0), (1,1), (1,0).
  QuadCorners();

  // The whole back buffer of g_Device.
  void FullBackBuffer();
  // The picture's aspect fitted into width x height and centred; z and texture coordinates are
  // left at their defaults.
  void FitAspect(const TextureEntry& picture, float width, float height);
  // From a target of width x height into back-buffer pixels.
  void RescaleToBackBuffer(float width, float height);

  QuadCorner corners[4];
};
