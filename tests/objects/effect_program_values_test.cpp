#include "objects/effect_program_values.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

namespace {

constexpr int kLanes = d3d9::kBlockPixels;

uint32_t Bits(float x) { return std::bit_cast<uint32_t>(x); }

// The floats where a floor or a wrap is easiest to get wrong: signed zeros, tiny negatives that
// wrap to 1, both sides of 2^23 and of the int range, infinities and not-a-number.
const float kEdges[] = {0.0f,
                        -0.0f,
                        1e-30f,
                        -1e-30f,
                        -std::numeric_limits<float>::denorm_min(),
                        0.5f,
                        -0.5f,
                        0.99999994f,
                        -0.99999994f,
                        1.0f,
                        -1.0f,
                        2.5f,
                        -2.5f,
                        8388607.5f,
                        -8388607.5f,
                        8388608.0f,
                        -8388608.0f,
                        8388609.0f,
                        3e9f,
                        -3e9f,
                        std::numeric_limits<float>::max(),
                        -std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN(),
                        -std::numeric_limits<float>::quiet_NaN()};

// The lane helpers run as a program runs them, over a whole block, and give the very floats of the
// helpers they stand for.
TEST(EffectProgramValuesTest, LaneHelpersGiveTheSameFloatsAsTheScalarOnes) {
  alignas(64) float x[kLanes];
  alignas(64) float floor[kLanes];
  alignas(64) float wrap[kLanes];
  alignas(64) float saturate[kLanes];
  // The edges, then the edges scaled, so that every lane holds a case.
  const int edges = static_cast<int>(std::size(kEdges));
  for (int i = 0; i < kLanes; ++i) x[i] = kEdges[i % edges] * (i < edges ? 1.0f : 1.375f);
  for (int i = 0; i < kLanes; ++i) {
    floor[i] = effect_values::FloorLane(x[i]);
    wrap[i] = effect_values::WrapLane(x[i]);
    saturate[i] = effect_values::SaturateLane(x[i]);
  }
  for (int i = 0; i < kLanes; ++i) {
    EXPECT_EQ(Bits(floor[i]), Bits(d3d9::Floor(x[i]))) << "floor of " << x[i];
    EXPECT_EQ(Bits(wrap[i]), Bits(effect_values::Wrap(x[i]))) << "wrap of " << x[i];
    EXPECT_EQ(Bits(saturate[i]), Bits(effect_values::Saturate(x[i]))) << "saturate of " << x[i];
  }
}

TEST(EffectProgramValuesTest, SinLanesIsTheSineOfEveryCoveredLane) {
  alignas(64) float x[kLanes];
  // Runs of equal arguments, a +0 beside a -0 (equal, but with sines of opposite sign) and a
  // not-a-number beside a number.
  for (int i = 0; i < kLanes; ++i) x[i] = static_cast<float>(i / 5) * 0.3f;
  x[10] = 0.0f;
  x[11] = -0.0f;
  x[12] = std::numeric_limits<float>::quiet_NaN();
  x[13] = std::numeric_limits<float>::quiet_NaN();
  x[14] = 1.0f;
  for (const int count : {kLanes, 15, 1, 0}) {
    alignas(64) float out[kLanes];
    for (float& lane : out) lane = 7.0f;
    effect_values::SinLanes(x, count, out);
    for (int i = 0; i < kLanes; ++i) {
      const float expected = i < count ? std::sin(x[i]) : 0.0f;
      EXPECT_EQ(Bits(out[i]), Bits(expected)) << "lane " << i << " of " << count;
    }
  }
}

}  // namespace
