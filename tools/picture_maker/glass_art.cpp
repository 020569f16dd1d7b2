#include "glass_art.h"

#include <algorithm>
#include <cmath>

namespace picture {

namespace {

float Smooth(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// Coverage of a soft ellipse about (cx, cy) with radii (rx, ry), all in unit coordinates.
float SoftEllipse(float x, float y, float cx, float cy, float rx, float ry, float softness) {
  const float dx = (x - cx) / rx, dy = (y - cy) / ry;
  return 1.0f - Smooth(1.0f - softness, 1.0f, std::sqrt(dx * dx + dy * dy));
}

}  // namespace

AlphaPicture PaintBallHighlight(int size) {
  AlphaPicture out(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      // Tilted a little, like a window seen on a curved surface.
      const float tu = 0.32f + (u - 0.32f) * 0.94f + (v - 0.27f) * 0.34f;
      const float tv = 0.27f + (v - 0.27f) * 0.94f - (u - 0.32f) * 0.34f;
      const float window = SoftEllipse(tu, tv, 0.32f, 0.27f, 0.15f, 0.085f, 0.8f);
      const float glint = SoftEllipse(u, v, 0.50f, 0.20f, 0.030f, 0.022f, 0.9f);
      out.Paint(x, y, {1.0f, 0.98f, 0.94f}, 0.75f * window);
      out.Paint(x, y, {1.0f, 1.0f, 1.0f}, 0.85f * glint);
    }
  }
  return out;
}

AlphaPicture PaintBallRim(int size) {
  AlphaPicture out(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float dx = (x + 0.5f) / size - 0.5f, dy = (y + 0.5f) / size - 0.5f;
      const float r = std::sqrt(dx * dx + dy * dy) / 0.5f;
      // A thin band just inside the edge, strongest towards the lower right.
      const float band = Smooth(0.78f, 0.97f, r) * (1.0f - Smooth(0.97f, 1.0f, r));
      const float side = std::clamp(0.35f + 0.65f * ((dx + dy) / (r * 0.5f + 1e-6f)) * 0.7071f, 0.0f, 1.0f);
      out.Paint(x, y, {0.85f, 0.93f, 1.0f}, 0.55f * band * side);
    }
  }
  return out;
}

AlphaPicture PaintBallStand(int width, int height) {
  AlphaPicture out(width, height);
  const Color copperDark{0.22f, 0.09f, 0.03f}, copper{0.72f, 0.38f, 0.16f}, shine{1.0f, 0.80f, 0.55f};
  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) / height;
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f) / width;
      const float dx = std::fabs(u - 0.5f);
      // The cup's upper edge dips under the ball's curve; below it the stand narrows to a neck and
      // spreads into a foot.
      const float cupTop = 0.10f + 0.55f * (1.0f - std::sqrt(std::max(0.0f, 1.0f - (dx / 0.32f) * (dx / 0.32f))));
      float halfWidth;
      if (v < 0.45f)
        halfWidth = 0.32f - 0.20f * Smooth(0.15f, 0.45f, v);
      else
        halfWidth = 0.12f + 0.33f * Smooth(0.55f, 0.92f, v);
      const float inside = (1.0f - Smooth(halfWidth - 0.01f, halfWidth + 0.01f, dx)) *
                           Smooth(cupTop - 0.02f, cupTop + 0.02f, v) * (1.0f - Smooth(0.95f, 0.985f, v));
      if (inside <= 0.0f) continue;
      // Round shading across the width, a highlight left of centre and a darker foot.
      const float across = (u - 0.5f) / std::max(halfWidth, 0.01f);
      const float light = std::clamp(0.55f - 0.45f * across, 0.0f, 1.0f);
      Color c = Mix(copperDark, copper, light);
      c = Mix(c, shine, std::exp(-std::pow((across + 0.45f) / 0.18f, 2.0f)) * 0.8f);
      c = Mix(c, copperDark, Smooth(0.85f, 0.98f, v) * 0.5f);
      out.Paint(x, y, c, inside);
    }
  }
  return out;
}

}  // namespace picture
