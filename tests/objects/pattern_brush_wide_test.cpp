// The tiled pattern's wide arithmetic gives, on every instruction set, the very floats of the
// per-lane helpers: where the pattern is read, how much of it covers, and the colour it leaves.
#include "objects/pattern_brush_wide.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "objects/effect_program_values.h"
#include "platform/d3d9/raster_wide.h"

namespace {

constexpr int kLanes = d3d9::kBlockPixels;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

uint32_t Bits(float x) { return std::bit_cast<uint32_t>(x); }

// Coordinates of every kind: inside, on whole tiles, tiny negatives that wrap to 1, far out,
// infinite and not a number.
float Coordinate(int i, int salt) {
  const float odd[] = {0.0f, -0.0f, -1e-30f, 1.0f, -1.0f, 3e9f, -3e9f, kInf, -kInf, kNaN, 0.99999994f, 1e7f};
  if ((i + salt) % 5 == 0) return odd[(i / 5 + salt) % std::size(odd)];
  return -1.7f + 0.0531f * static_cast<float>(i * (salt + 1) % 97);
}

// Alphas of every kind a texture and the lanes after the covered ones can hold.
float Alpha(int i) {
  const float odd[] = {0.0f, -0.0f, 1.0f, 0.5f, 1.5f, -0.25f, kNaN, kInf};
  return i % 3 == 0 ? odd[i / 3 % std::size(odd)] : static_cast<float>(i) / 64.0f;
}

TEST(PatternBrushWideTest, EveryInstructionSetGivesThePerLaneFloats) {
  const PatternPlacement placements[] = {
      {1.0f, 1.0f, 0.0f, 0.0f, 20.0f, 0.0f, 0.0f, 11.25f},
      {1.6f, 1.0f, 0.31f, -0.12f, 7.9f, 3.1f, -3.1f, 7.9f},
      {0.25f, 1.0f, -2.5f, 4.0f, -12.0f, 0.0f, 0.0f, -12.0f},
  };
  d3d9::PixelBlock in;
  d3d9::ColorBlock pattern;
  d3d9::ColorBlock background;
  float weight[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    in.u[0][i] = Coordinate(i, 0);
    in.v[0][i] = Coordinate(i, 1);
    pattern.r[i] = static_cast<float>(i) / 63.0f;
    pattern.g[i] = 1.0f - static_cast<float>(i) / 63.0f;
    pattern.b[i] = static_cast<float>(i % 7) / 7.0f;
    pattern.a[i] = Alpha(i);
    background.r[i] = static_cast<float>(i % 5) / 4.0f;
    background.g[i] = static_cast<float>(i % 11) / 10.0f;
    background.b[i] = 0.5f;
    background.a[i] = 0.75f;
    weight[i] = i % 4 == 0 ? 1.0f : static_cast<float>(i % 9) / 8.0f;
  }
  for (const std::string& target : d3d9::WideTargets()) {
    SCOPED_TRACE(target);
    d3d9::UseWideTarget(target);
    for (const PatternPlacement& p : placements) {
      alignas(64) float tu[kLanes];
      alignas(64) float tv[kLanes];
      PatternLookups(p, in, tu, tv);
      for (int i = 0; i < kLanes; ++i) {
        const float x = in.u[0][i] * p.width;
        const float y = in.v[0][i] * p.height;
        EXPECT_EQ(Bits(tu[i]), Bits(effect_values::Wrap((x * p.m0 + y * p.m2) / p.width + p.offsetU)))
            << "u of lane " << i << " at " << in.u[0][i] << ", " << in.v[0][i];
        EXPECT_EQ(Bits(tv[i]), Bits(effect_values::Wrap((x * p.m1 + y * p.m3) / p.height + p.offsetV)))
            << "v of lane " << i << " at " << in.u[0][i] << ", " << in.v[0][i];
      }
    }
    float cover[kLanes];
    std::copy(weight, weight + kLanes, cover);
    d3d9::ColorBlock out = background;
    PatternOver(pattern, cover, out);
    for (int i = 0; i < kLanes; ++i) {
      const float c = effect_values::Saturate(pattern.a[i]) * weight[i];
      EXPECT_EQ(Bits(cover[i]), Bits(c)) << "cover of lane " << i;
      EXPECT_EQ(Bits(out.r[i]), Bits(background.r[i] + (pattern.r[i] - background.r[i]) * c)) << i;
      EXPECT_EQ(Bits(out.g[i]), Bits(background.g[i] + (pattern.g[i] - background.g[i]) * c)) << i;
      EXPECT_EQ(Bits(out.b[i]), Bits(background.b[i] + (pattern.b[i] - background.b[i]) * c)) << i;
      EXPECT_EQ(Bits(out.a[i]), Bits(background.a[i])) << "alpha of lane " << i;
    }
  }
  d3d9::UseWideTarget("");
}

}  // namespace
