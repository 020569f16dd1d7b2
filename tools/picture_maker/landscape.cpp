#include "landscape.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"

namespace picture {
namespace {

struct Palette {
  Color skyTop, skyHorizon, sun, farRidge, nearRidge, ground, water;
  float sunX, sunY, sunRadius;  // in picture heights, from the top left
  int ridges;
  float horizon;     // fraction of the height where the land or water begins
  bool mirrors;      // the lower part mirrors the sky and the ridges
  bool stars;
  bool trees;
  float roughness;   // ridge height in picture heights
};

Palette PaletteOf(const std::string& kind) {
  if (kind == "mountains")
    return {{0.18f, 0.38f, 0.72f}, {0.78f, 0.86f, 0.94f}, {1.0f, 0.97f, 0.85f}, {0.55f, 0.62f, 0.75f},
            {0.16f, 0.24f, 0.18f}, {0.30f, 0.45f, 0.18f}, {}, 0.75f, 0.18f, 0.05f, 4, 0.72f, false, false, false, 0.42f};
  if (kind == "sunset")
    return {{0.20f, 0.10f, 0.35f}, {1.0f, 0.55f, 0.25f}, {1.0f, 0.85f, 0.45f}, {0.45f, 0.20f, 0.30f},
            {0.10f, 0.05f, 0.10f}, {0.08f, 0.04f, 0.08f}, {0.30f, 0.15f, 0.25f}, 0.5f, 0.52f, 0.08f, 2, 0.6f, true, false, false, 0.16f};
  if (kind == "forest")
    return {{0.35f, 0.55f, 0.75f}, {0.85f, 0.90f, 0.80f}, {1.0f, 1.0f, 0.9f}, {0.40f, 0.55f, 0.45f},
            {0.06f, 0.20f, 0.08f}, {0.12f, 0.30f, 0.10f}, {}, 0.2f, 0.12f, 0.04f, 3, 0.55f, false, false, true, 0.25f};
  if (kind == "lake")
    return {{0.25f, 0.45f, 0.80f}, {0.90f, 0.85f, 0.75f}, {1.0f, 0.95f, 0.80f}, {0.50f, 0.55f, 0.70f},
            {0.15f, 0.25f, 0.20f}, {0.20f, 0.30f, 0.15f}, {0.12f, 0.25f, 0.40f}, 0.3f, 0.2f, 0.05f, 3, 0.58f, true, false, true, 0.3f};
  if (kind == "desert")
    return {{0.30f, 0.55f, 0.85f}, {0.95f, 0.85f, 0.65f}, {1.0f, 1.0f, 0.9f}, {0.85f, 0.60f, 0.35f},
            {0.75f, 0.45f, 0.20f}, {0.90f, 0.65f, 0.35f}, {}, 0.8f, 0.15f, 0.06f, 3, 0.62f, false, false, false, 0.12f};
  if (kind == "night")
    return {{0.01f, 0.02f, 0.08f}, {0.10f, 0.15f, 0.30f}, {0.95f, 0.95f, 0.85f}, {0.08f, 0.10f, 0.20f},
            {0.02f, 0.03f, 0.06f}, {0.02f, 0.03f, 0.05f}, {0.04f, 0.06f, 0.14f}, 0.62f, 0.2f, 0.045f, 2, 0.68f, true, true, false, 0.2f};
  if (kind == "meadow")
    return {{0.30f, 0.55f, 0.90f}, {0.85f, 0.92f, 0.98f}, {1.0f, 1.0f, 0.92f}, {0.45f, 0.62f, 0.45f},
            {0.20f, 0.45f, 0.12f}, {0.35f, 0.60f, 0.18f}, {}, 1.3f, 0.14f, 0.045f, 3, 0.52f, false, false, true, 0.16f};
  if (kind == "storm")
    return {{0.10f, 0.11f, 0.15f}, {0.42f, 0.45f, 0.50f}, {0.5f, 0.52f, 0.56f}, {0.22f, 0.24f, 0.30f},
            {0.08f, 0.09f, 0.11f}, {0.1f, 0.1f, 0.1f}, {0.14f, 0.17f, 0.22f}, 0.4f, 0.1f, 0.0f, 3, 0.6f, true, false, true, 0.22f};
  if (kind == "campfire")
    return {{0.01f, 0.01f, 0.05f}, {0.12f, 0.10f, 0.22f}, {0.95f, 0.92f, 0.8f}, {0.07f, 0.07f, 0.15f},
            {0.02f, 0.02f, 0.04f}, {0.10f, 0.06f, 0.04f}, {}, 0.25f, 0.16f, 0.035f, 2, 0.62f, false, true, true, 0.2f};
  return {};
}

// Under the sea: deep blue fading up to the lit surface, wavering bands of light, a sandy floor with
// dark rocks and swaying weed.
Image PaintUnderwater(int width, int height, uint32_t seed) {
  Image image(width, height);
  const Noise noise(seed);
  const float h = static_cast<float>(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = x / h, v = y / h;
      Color c = Mix({0.25f, 0.62f, 0.78f}, {0.02f, 0.12f, 0.28f}, std::pow(v, 0.8f));
      const float caustic = std::fabs(std::sin((u + noise.At(u * 3.0f, v * 2.0f) * 0.6f) * 22.0f));
      c = Mix(c, {0.7f, 0.95f, 1.0f}, std::pow(caustic, 16.0f) * 0.35f * (1.0f - v));
      const float floor = 0.8f + 0.06f * noise.Fractal(u * 2.0f, 3.0f, 4);
      if (v > floor) {
        const float grain = noise.Fractal(u * 40.0f, v * 40.0f, 4);
        c = Mix({0.72f, 0.62f, 0.42f}, {0.35f, 0.3f, 0.22f}, grain * 0.6f + (v - floor) * 1.5f);
        c = Mix(c, {0.05f, 0.2f, 0.3f}, 0.35f);
      }
      const float rock = noise.Fractal(u * 3.0f + 7.0f, 1.0f, 3);
      if (v > floor - 0.12f * rock + 0.02f && rock > 0.55f) c = Mix({0.06f, 0.1f, 0.14f}, c, 0.2f);
      const float weed = std::fabs(std::fmod(u * 9.0f + 0.08f * std::sin(v * 14.0f) + noise.At(u * 9.0f, 0.5f), 1.0f) - 0.5f);
      if (weed < 0.04f && v > floor - 0.3f * noise.At(u * 9.0f, 2.0f)) c = Mix({0.08f, 0.35f, 0.18f}, c, 0.25f);
      image.At(x, y) = c;
    }
  }
  return image;
}

}  // namespace

std::optional<Image> PaintLandscape(const std::string& kind, int width, int height, uint32_t seed) {
  if (kind == "underwater") return PaintUnderwater(width, height, seed);
  const Palette p = PaletteOf(kind);
  if (p.ridges == 0) return std::nullopt;
  Image image(width, height);
  const Noise noise(seed);
  const float h = static_cast<float>(height);
  const int horizonY = static_cast<int>(p.horizon * h);

  // Sky: a gradient to the horizon, the glow of the sun, thin clouds; stars at night.
  for (int y = 0; y < horizonY; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = x / h, v = y / h;
      Color c = Mix(p.skyTop, p.skyHorizon, std::pow(v / p.horizon, 1.4f));
      const float d = std::hypot(u - p.sunX * width / h, v - p.sunY);
      c = Mix(c, p.sun, std::clamp(p.sunRadius * 2.5f / (d + 0.02f) - 0.3f, 0.0f, 1.0f) * 0.6f);
      if (d < p.sunRadius) c = p.sun;
      const float cloud = noise.Fractal(u * 3.0f, v * 9.0f, 5);
      c = Mix(c, Mix(p.skyHorizon, {1, 1, 1}, 0.5f), std::clamp((cloud - 0.55f) * 2.5f, 0.0f, 0.6f));
      if (p.stars && noise.At(x * 0.9f, y * 0.9f) > 0.985f) c = Mix(c, {1, 1, 1}, 0.8f);
      image.At(x, y) = c;
    }
  }

  // Ridges from far to near: each darker and rougher, with haze towards the sky colour.
  std::vector<int> nearest(width, horizonY);
  for (int r = 0; r < p.ridges; ++r) {
    const float depth = p.ridges == 1 ? 1.0f : static_cast<float>(r) / (p.ridges - 1);
    const Color ridge = Mix(Mix(p.farRidge, p.skyHorizon, 0.35f * (1.0f - depth)), p.nearRidge, depth);
    for (int x = 0; x < width; ++x) {
      const float u = x / h;
      const float n = noise.Fractal(u * (1.5f + r) + r * 17.0f, r * 3.1f, 6);
      int top = static_cast<int>(horizonY - (n * p.roughness * (1.0f - 0.5f * depth) + 0.02f) * h);
      if (p.trees && r == p.ridges - 1) {
        const float spike = std::fabs(std::fmod(u * 40.0f + n * 3.0f, 1.0f) - 0.5f);
        top -= static_cast<int>((0.5f - spike) * 0.12f * h * noise.At(u * 6.0f, 1.0f));
      }
      for (int y = std::max(top, 0); y < horizonY; ++y) {
        const float shade = noise.Fractal(u * 20.0f, y / h * 20.0f + r, 4);
        image.At(x, y) = Mix(ridge, Mix(ridge, {0, 0, 0}, 0.4f), shade * 0.6f);
      }
      nearest[x] = std::min(nearest[x], top);
    }
  }

  // Below the horizon: water mirroring what stands above it, with rippled reflections, or ground.
  for (int y = horizonY; y < height; ++y) {
    const float v = (y - horizonY) / h;
    for (int x = 0; x < width; ++x) {
      const float u = x / h;
      if (p.mirrors) {
        const float ripple = (noise.At(u * 4.0f, v * 60.0f) - 0.5f) * 0.02f * h * (0.3f + v * 3.0f);
        const int mirrorY = std::clamp(2 * horizonY - y + static_cast<int>(ripple), 0, horizonY - 1);
        const int mirrorX = std::clamp(x + static_cast<int>(ripple), 0, width - 1);
        image.At(x, y) = Mix(image.At(mirrorX, mirrorY), p.water, 0.35f + v * 0.8f);
      } else {
        const float grain = noise.Fractal(u * 30.0f, v * 80.0f, 5);
        image.At(x, y) = Mix(p.ground, Mix(p.ground, {0, 0, 0}, 0.5f), grain * 0.7f + v * 0.4f);
      }
    }
  }
  return image;
}

}  // namespace picture
