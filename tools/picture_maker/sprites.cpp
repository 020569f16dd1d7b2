#include "sprites.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "noise.h"

namespace picture {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

float Smooth(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// Calls paint(u, v) for every pixel centre, u and v in [0, 1]; paint returns colour and coverage.
template <class Paint>
AlphaPicture Painted(int width, int height, Paint paint) {
  AlphaPicture picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Color c{0, 0, 0};
      const float a = paint((x + 0.5f) / width, (y + 0.5f) / height, c);
      picture.Paint(x, y, c, a);
    }
  return picture;
}

// A fish facing right: an oval body with a forked tail, orange with pale stripes and a dark eye.
AlphaPicture Fish() {
  return Painted(128, 64, [](float u, float v, Color& c) {
    const float bx = (u - 0.55f) / 0.36f, by = (v - 0.5f) / 0.3f;
    const float body = 1.0f - (bx * bx + by * by);
    const float tailX = (0.22f - u) / 0.2f, tailY = std::fabs(v - 0.5f) / 0.3f;
    const float tail = u < 0.24f && u > 0.02f ? std::min(1.0f - tailY + tailX * 0.3f, tailY * 2.0f + 0.6f - tailX) : -1.0f;
    const float stripe = std::sin(u * 40.0f) > 0.6f ? 1.0f : 0.0f;
    c = Mix(Color{1.0f, 0.45f, 0.08f}, Color{1.0f, 0.92f, 0.75f}, stripe * 0.8f);
    c = Mix(c, Color{0.55f, 0.18f, 0.02f}, std::clamp(v - 0.45f, 0.0f, 1.0f));
    if (std::hypot((u - 0.8f) * 2.0f, v - 0.42f) < 0.05f) c = {0.05f, 0.05f, 0.08f};
    return Smooth(0.0f, 0.08f, std::max(body, tail));
  });
}

// A bird in flight seen from afar: a dark curved V.
AlphaPicture Bird() {
  return Painted(64, 32, [](float u, float v, Color& c) {
    c = {0.08f, 0.07f, 0.1f};
    const float x = (u - 0.5f) * 2.0f;
    const float wing = 0.45f + 0.35f * std::fabs(x) - 0.45f * x * x;  // the wing's centre line
    const float thickness = 0.12f * (1.0f - std::fabs(x)) + 0.03f;
    return Smooth(thickness, thickness * 0.5f, std::fabs(v - wing));
  });
}

// A ghost: a pale rounded sheet with a wavy hem and two dark eyes.
AlphaPicture Ghost() {
  return Painted(64, 80, [](float u, float v, Color& c) {
    c = {0.92f, 0.96f, 1.0f};
    const float x = (u - 0.5f) / 0.4f;
    float inside;
    if (v < 0.45f) {
      inside = 1.0f - std::hypot(x, (v - 0.45f) / 0.38f);
    } else {
      const float hem = 0.88f + 0.06f * std::sin(u * 6.0f * kPi);
      inside = std::min(1.0f - std::fabs(x), (hem - v) * 6.0f);
    }
    if (std::hypot((u - 0.38f) * 1.4f, v - 0.38f) < 0.06f || std::hypot((u - 0.62f) * 1.4f, v - 0.38f) < 0.06f)
      c = {0.1f, 0.1f, 0.2f};
    return Smooth(0.0f, 0.15f, inside) * 0.9f;
  });
}

// A soft puff of fog: a round blob with a cloudy inside.
AlphaPicture Puff() {
  const Noise noise(5);
  return Painted(128, 128, [&noise](float u, float v, Color& c) {
    c = {0.92f, 0.94f, 0.96f};
    const float d = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
    return std::pow(std::max(0.0f, 1.0f - d), 1.5f) * (0.5f + 0.5f * noise.Fractal(u * 4.0f, v * 4.0f, 4));
  });
}

// A four-pointed star around a bright core.
AlphaPicture Sparkle() {
  return Painted(64, 64, [](float u, float v, Color& c) {
    c = {1.0f, 0.97f, 0.85f};
    const float x = std::fabs(u - 0.5f) * 2.0f, y = std::fabs(v - 0.5f) * 2.0f;
    const float core = std::exp(-(x * x + y * y) * 18.0f);
    const float rays = std::exp(-x * 30.0f) * (1.0f - y) + std::exp(-y * 30.0f) * (1.0f - x);
    return std::min(1.0f, core + rays);
  });
}

// A shaft of light: bright in the middle, fading to the sides and towards the bottom.
AlphaPicture Ray() {
  return Painted(64, 256, [](float u, float v, Color& c) {
    c = {1.0f, 0.97f, 0.82f};
    const float across = std::exp(-std::pow((u - 0.5f) * 3.2f, 2.0f));
    return across * (1.0f - 0.8f * v) * Smooth(0.0f, 0.1f, v) * 0.8f;
  });
}

// A streak of rain.
AlphaPicture Drop() {
  return Painted(8, 64, [](float u, float v, Color& c) {
    c = {0.85f, 0.9f, 1.0f};
    return std::exp(-std::pow((u - 0.5f) * 4.0f, 2.0f)) * Smooth(0.0f, 0.6f, v) * 0.8f;
  });
}

// An autumn leaf: a pointed oval with a midrib, orange to red.
AlphaPicture Leaf() {
  const Noise noise(9);
  return Painted(64, 64, [&noise](float u, float v, Color& c) {
    const float x = (u - 0.5f) * 2.0f, y = (v - 0.5f) * 2.0f;
    const float width = 0.55f * std::cos(y * kPi * 0.5f);
    c = Mix(Color{0.95f, 0.55f, 0.1f}, Color{0.75f, 0.15f, 0.05f}, noise.Fractal(u * 5.0f, v * 5.0f, 3));
    if (std::fabs(x) < 0.03f) c = Mix(c, Color{0.45f, 0.2f, 0.05f}, 0.7f);
    return Smooth(0.0f, 0.06f, width - std::fabs(x)) * Smooth(1.0f, 0.9f, std::fabs(y));
  });
}

// A blade of grass, wide at its foot and pointed at its top.
AlphaPicture Blade() {
  return Painted(32, 128, [](float u, float v, Color& c) {
    c = Mix(Color{0.15f, 0.35f, 0.08f}, Color{0.45f, 0.75f, 0.2f}, 1.0f - v);
    const float half = 0.45f * v + 0.03f;
    const float bend = 0.15f * (1.0f - v) * (1.0f - v);
    return Smooth(0.0f, 0.06f, half - std::fabs(u - 0.5f - bend));
  });
}

// A flower standing on its stem: five petals around a yellow heart.
AlphaPicture Flower() {
  return Painted(64, 128, [](float u, float v, Color& c) {
    const float x = u - 0.5f, y = (v - 0.25f) * 0.5f;
    const float r = std::hypot(x, y), a = std::atan2(y, x);
    const float petal = 0.22f * (0.55f + 0.45f * std::fabs(std::cos(2.5f * a)));
    if (r < 0.07f) {
      c = {1.0f, 0.85f, 0.2f};
      return 1.0f;
    }
    if (r < petal) {
      c = Mix(Color{0.95f, 0.35f, 0.55f}, Color{1.0f, 0.8f, 0.9f}, r / petal);
      return Smooth(0.0f, 0.02f, petal - r);
    }
    c = {0.2f, 0.5f, 0.15f};
    return v > 0.3f ? Smooth(0.0f, 0.02f, 0.04f - std::fabs(x)) : 0.0f;
  });
}

// A lantern glowing warm: a dark frame round a bright pane, in a soft halo.
AlphaPicture Lantern() {
  return Painted(64, 96, [](float u, float v, Color& c) {
    const float x = std::fabs(u - 0.5f), y = v;
    const bool pane = x < 0.16f && y > 0.3f && y < 0.75f;
    const bool frame = (x < 0.22f && y > 0.25f && y < 0.8f) || (x < 0.1f && y > 0.12f && y < 0.25f);
    const float halo = std::exp(-std::pow(std::hypot(u - 0.5f, (v - 0.52f) * 0.8f) * 4.0f, 2.0f));
    if (pane) {
      c = {1.0f, 0.85f, 0.45f};
      return 1.0f;
    }
    if (frame) {
      c = {0.12f, 0.08f, 0.05f};
      return 1.0f;
    }
    c = {1.0f, 0.7f, 0.3f};
    return halo * 0.7f;
  });
}

// An air bubble: a thin bright ring with a highlight.
AlphaPicture Bubble() {
  return Painted(32, 32, [](float u, float v, Color& c) {
    c = {0.85f, 0.95f, 1.0f};
    const float r = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
    const float ring = std::exp(-std::pow((r - 0.85f) * 10.0f, 2.0f));
    const float shine = std::exp(-std::pow(std::hypot(u - 0.36f, v - 0.34f) * 12.0f, 2.0f));
    return std::min(1.0f, ring * 0.8f + shine + (r < 0.85f ? 0.08f : 0.0f));
  });
}

// A jagged lightning bolt from top to bottom with side branches, white-violet and glowing.
AlphaPicture Bolt() {
  AlphaPicture picture(128, 256);
  uint32_t state = 7;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 16777216.0f;
  };
  auto stroke = [&picture](float x0, float y0, float x1, float y1, float width) {
    const int steps = static_cast<int>(std::hypot(x1 - x0, y1 - y0)) + 1;
    for (int s = 0; s <= steps; ++s) {
      const float t = static_cast<float>(s) / steps, x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
      for (int dy = -8; dy <= 8; ++dy)
        for (int dx = -8; dx <= 8; ++dx) {
          const float d = std::hypot(static_cast<float>(dx), static_cast<float>(dy));
          const float core = Smooth(width + 1.0f, width, d), glow = std::exp(-d / (2.0f + width)) * 0.35f;
          picture.Paint(static_cast<int>(x) + dx, static_cast<int>(y) + dy, Mix(Color{0.7f, 0.6f, 1.0f}, Color{1, 1, 1}, core),
                        std::max(core, glow));
        }
    }
  };
  float x = 64.0f, y = 0.0f;
  while (y < 250.0f) {
    const float nx = std::clamp(x + (next() - 0.5f) * 40.0f, 20.0f, 108.0f), ny = y + 10.0f + next() * 14.0f;
    stroke(x, y, nx, ny, 2.0f);
    if (next() < 0.2f) {
      float bx = nx, by = ny;
      const float side = next() < 0.5f ? -1.0f : 1.0f;
      for (int k = 0; k < 4; ++k) {
        const float cx = bx + side * (6.0f + next() * 12.0f), cy = by + 8.0f + next() * 10.0f;
        stroke(bx, by, cx, cy, 0.8f);
        bx = cx;
        by = cy;
      }
    }
    x = nx;
    y = ny;
  }
  return picture;
}

// Four frames side by side, each a different crackle of sparks around a bright core.
AlphaPicture Sparks() {
  const Noise noise(13);
  return Painted(256, 64, [&noise](float u, float v, Color& c) {
    const int frame = static_cast<int>(u * 4.0f);
    const float fu = u * 4.0f - frame;
    const float x = fu - 0.5f, y = v - 0.5f;
    const float r = std::hypot(x, y), a = std::atan2(y, x);
    const float spikes = noise.At(a * 3.0f + frame * 11.0f, frame * 7.0f);
    c = Mix(Color{0.5f, 0.7f, 1.0f}, Color{1, 1, 1}, std::exp(-r * 12.0f));
    return std::min(1.0f, std::exp(-r * 9.0f) + Smooth(spikes * 0.5f, 0.0f, r) * spikes * 0.8f);
  });
}

// A butterfly's wing across the whole picture (the wing mesh cuts its outline): orange with dark
// veins running out from the hinge on the left, a black rim with white spots towards the tip.
AlphaPicture Wing() {
  return Painted(64, 64, [](float u, float v, Color& c) {
    const float y = v - 0.5f;
    const float angle = std::atan2(y, u + 0.05f);
    const float vein = std::exp(-std::pow(std::sin(angle * 5.0f) * 6.0f, 2.0f));
    c = Mix(Color{1.0f, 0.5f, 0.05f}, Color{0.15f, 0.06f, 0.02f}, vein * 0.8f);
    const float rim = Smooth(0.62f, 0.8f, std::hypot(u * 0.9f, y * 1.6f));
    c = Mix(c, Color{0.06f, 0.04f, 0.03f}, rim);
    const float spot = std::fmod(angle * 3.0f + 10.0f, 1.0f);
    if (rim > 0.9f && std::fabs(spot - 0.5f) < 0.12f && std::fabs(std::hypot(u * 0.9f, y * 1.6f) - 0.9f) < 0.05f)
      c = {0.95f, 0.95f, 0.9f};
    return 1.0f;
  });
}

}  // namespace

std::optional<AlphaPicture> PaintSprite(const std::string& kind) {
  if (kind == "fish") return Fish();
  if (kind == "bird") return Bird();
  if (kind == "ghost") return Ghost();
  if (kind == "puff") return Puff();
  if (kind == "sparkle") return Sparkle();
  if (kind == "ray") return Ray();
  if (kind == "drop") return Drop();
  if (kind == "leaf") return Leaf();
  if (kind == "blade") return Blade();
  if (kind == "flower") return Flower();
  if (kind == "lantern") return Lantern();
  if (kind == "bubble") return Bubble();
  if (kind == "bolt") return Bolt();
  if (kind == "sparks") return Sparks();
  if (kind == "wing") return Wing();
  return std::nullopt;
}

}  // namespace picture
