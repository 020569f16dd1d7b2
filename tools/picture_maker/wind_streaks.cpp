#include "wind_streaks.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace picture {

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr int kWidth = 256, kHeight = 128;
constexpr int kRows = 16;  // bands of streaks down the picture

float Hash(int n, int salt) {
  const uint32_t h = (static_cast<uint32_t>(n) * 0x9E3779B1u) ^ (static_cast<uint32_t>(salt) * 0x85EBCA77u);
  return static_cast<float>((h ^ (h >> 15)) * 0x2C1B3C6Du >> 8) / 16777216.0f;
}

}  // namespace

AlphaPicture PaintWindStreaks(int frame, int count) {
  AlphaPicture out(kWidth, kHeight);
  // Half a picture's width over the sequence: every band's gusts repeat within that.
  const float shift = 0.5f * static_cast<float>(frame) / static_cast<float>(count);
  for (int y = 0; y < kHeight; ++y) {
    const float row = static_cast<float>(y) / kHeight * kRows;
    for (int x = 0; x < kWidth; ++x) {
      const float u = static_cast<float>(x) / kWidth - shift;
      float alpha = 0.0f;
      // Each band holds one streak at its own height and thickness, with an even number of gusts
      // along the row, which keeps the picture and the loop seamless.
      for (int band = static_cast<int>(row) - 1; band <= static_cast<int>(row) + 1; ++band) {
        const int b = (band + kRows) % kRows;
        const float centre = static_cast<float>(band) + 0.2f + 0.6f * Hash(b, 1);
        const float thickness = 0.08f + 0.12f * Hash(b, 2);
        const float across = std::exp(-std::pow((row - centre) / thickness, 2.0f));
        const int gusts = 2 * (1 + static_cast<int>(Hash(b, 3) * 3.0f));
        const float phase = kTwoPi * (gusts * u + Hash(b, 4));
        const float along = std::pow(0.5f + 0.5f * std::sin(phase), 6.0f);
        alpha += across * along * (0.35f + 0.5f * Hash(b, 5));
      }
      out.Paint(x, y, {1.0f, 0.9f, 0.72f}, std::fmin(alpha, 1.0f));
    }
  }
  return out;
}

}  // namespace picture
