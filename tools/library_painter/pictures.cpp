#include "pictures.h"

#include <algorithm>
#include <cmath>

namespace library_painter {
namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float Smooth(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
Rgba Mix(const Rgba& a, const Rgba& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// A small repeatable hash in 0..1, so the pictures are the same on every build.
float Hash(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFFu) / 65535.0f;
}

// Value noise over a grid of `cells` per side that wraps, so the picture tiles.
float TilingNoise(float u, float v, int cells, int seed) {
  const float x = u * cells, y = v * cells;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = Smooth(0, 1, x - x0), fy = Smooth(0, 1, y - y0);
  auto at = [&](int i, int j) { return Hash(((i % cells) + cells) % cells, ((j % cells) + cells) % cells, seed); };
  const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
  const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
  return a + (b - a) * fy;
}

}  // namespace

Canvas PaintBorder(int size) {
  Canvas c(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float grain = 0.6f * TilingNoise(u, v, 8, 1) + 0.4f * TilingNoise(u, v, 32, 2);
      const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
      const float bevel = edge < 0.08f ? (u + v < 1 ? 1.25f : 0.7f) : 1.0f;
      const float k = (0.55f + 0.45f * grain) * bevel;
      c.At(x, y) = {Clamp01(0.72f * k), Clamp01(0.42f * k), Clamp01(0.22f * k), 1};
    }
  return c;
}

// The bolt pictures hold two strokes, one in each half (a segment shows one half or the other), and
// their ends only left of kCapStart and right of kCapEnd, where the bolt's first and last segments
// read. Between the caps a stroke starts and ends on the middle line, so that segments join.
constexpr float kCapStart = 0.195f, kCapEnd = 0.805f;

float CapFade(float u) { return Smooth(0.0f, kCapStart, u) * Smooth(0.0f, 1 - kCapEnd, 1 - u); }

Canvas PaintBolt(int width, int height, bool jagged) {
  Canvas c(width, height);
  const int half = height / 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f) / width;
      const int band = y < half ? 0 : 1;
      const float v = (y - band * half + 0.5f) / half;  // 0..1 inside the band
      float centre = 0.5f;
      if (jagged) {
        // Crackling: coarse and fine noise, different in the two bands so that switching halves
        // makes the bolt flicker, held to the middle line at the joints.
        const float t = Clamp01((u - kCapStart) / (kCapEnd - kCapStart));
        const float envelope = std::sin(kPi * t);
        const float coarse = TilingNoise(u, 0.2f + 0.5f * band, 5, 3) - 0.5f;
        const float fine = TilingNoise(u, 0.4f + 0.5f * band, 23, 4) - 0.5f;
        centre += envelope * (0.45f * coarse + 0.2f * fine);
      }
      const float d = std::fabs(v - centre);
      const float core = std::exp(-d * d / 0.002f), halo = std::exp(-d * d / 0.03f);
      const float a = Clamp01((core + 0.5f * halo) * CapFade(u));
      c.At(x, y) = {Clamp01(0.75f + 0.25f * core), Clamp01(0.85f + 0.15f * core), 1.0f, a};
    }
  return c;
}

Canvas PaintGlow(int size) {
  // Laid out like the bolt pictures: a soft band of glow in each half, falling off across the band
  // only (segments meet end to end), and fading at the bolt's two ends.
  Canvas c(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size;
      const float v = std::fmod((y + 0.5f) / size * 2, 1.0f);
      const float across = std::fabs(v - 0.5f) * 2;
      c.At(x, y) = {1, 1, 1, std::pow(Clamp01(1 - across), 2.0f) * CapFade(u)};
    }
  return c;
}

Canvas PaintFireGradient(int width) {
  Canvas c(width, 4);
  const Rgba stops[] = {{0, 0, 0, 0}, {0.45f, 0.04f, 0.0f, 0.6f}, {0.95f, 0.3f, 0.02f, 0.9f},
                        {1.0f, 0.72f, 0.15f, 1}, {1, 0.97f, 0.85f, 1}};
  for (int x = 0; x < width; ++x) {
    const float t = static_cast<float>(x) / (width - 1) * 4;
    const int i = std::min(3, static_cast<int>(t));
    const float f = t - i;
    const Rgba& a = stops[i];
    const Rgba& b = stops[i + 1];
    const Rgba mixed{a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f};
    for (int y = 0; y < 4; ++y) c.At(x, y) = mixed;
  }
  return c;
}

Canvas PaintClockFace(int size) {
  Canvas c(size, size);
  // Edges blend over about one texel, so that the rim and the marks stay smooth however large the
  // clock is drawn.
  const float texel = 2.0f / size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float dx = (x + 0.5f) / size - 0.5f, dy = (y + 0.5f) / size - 0.5f;
      const float r = std::sqrt(dx * dx + dy * dy) * 2;
      const float shade = 1 - 0.12f * r * r;
      Rgba t{0.93f * shade, 0.89f * shade, 0.78f * shade, 1};
      // Twelve marks between 0.72 and 0.86 of the radius.
      const float angle = std::atan2(dy, dx);
      const float sector = angle / (2 * kPi / 12);
      const float off = std::fabs(sector - std::round(sector)) * (2 * kPi / 12) * r;
      const float mark = Smooth(0.025f + texel, 0.025f - texel, off) * Smooth(0.72f - texel, 0.72f + texel, r) *
                         Smooth(0.86f + texel, 0.86f - texel, r);
      t = Mix(t, {0.15f, 0.12f, 0.1f, 1}, mark);
      t = Mix(t, {0.25f, 0.16f, 0.1f, 1}, Smooth(0.9f - texel, 0.9f + texel, r));
      // The dial's disc has corners at the full radius: the face ends just inside it.
      t.a = Smooth(0.985f, 0.985f - 2 * texel, r);
      c.At(x, y) = t;
    }
  return c;
}

Canvas PaintClockHands(int size) {
  Canvas c(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float k = 0.8f + 0.2f * (static_cast<float>(y) / size);
      c.At(x, y) = {0.1f * k, 0.12f * k, 0.22f * k, 1};
    }
  return c;
}

Canvas PaintHeatBump(int size) {
  Canvas c(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float a = 2 * kPi * TilingNoise(u, v, 4, 5) + 2 * kPi * 0.5f * TilingNoise(u, v, 8, 6);
      c.At(x, y) = {0.8f * std::cos(a), 0.8f * std::sin(a), 0, 1};
    }
  return c;
}

Canvas PaintWaterBump(int size) {
  // A height field of waves with whole periods across the picture, so that it tiles; the picture
  // holds its slope, which is zero on average: the surface moves pixels back and forth in place.
  struct Wave {
    float kx, ky, amplitude, phase;
  };
  const Wave waves[] = {{3, 1, 1.0f, 0.3f}, {-2, 3, 0.7f, 1.9f}, {5, -2, 0.45f, 4.1f}, {1, 6, 0.3f, 2.6f}};
  Canvas c(size, size);
  float largest = 0;
  for (const Wave& w : waves) largest += w.amplitude * std::sqrt(w.kx * w.kx + w.ky * w.ky);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      float du = 0, dv = 0;
      for (const Wave& w : waves) {
        const float s = std::cos(2 * kPi * (w.kx * u + w.ky * v) + w.phase) * w.amplitude;
        du += s * w.kx;
        dv += s * w.ky;
      }
      c.At(x, y) = {du / largest, dv / largest, 0, 1};
    }
  return c;
}

}  // namespace library_painter
