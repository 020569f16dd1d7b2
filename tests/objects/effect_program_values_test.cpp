#include "objects/effect_program_values.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
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

// The remembered sines must be those of the arguments given now: a block in a column seen before
// with an argument changed in one bit only (+0 to -0, a NaN, the next float), blocks that overlap the
// columns of earlier ones, a partly covered block, runs of one argument along a row broken by a
// lane, and blocks beyond the remembered columns.
TEST(EffectProgramValuesTest, ColumnSinesAreTheSinesOfTheArgumentsGivenNow) {
  struct Case {
    const char* what;
    int x;
    int count;
    float first;  // lane 0's argument; lane i adds i / 8 times `step`
    float step;
    int changed;  // a lane given `value` instead, or -1
    float value;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"first row", 0, kLanes, 0.0f, 1.0f, -1, 0.0f},
      {"same arguments again", 0, kLanes, 0.0f, 1.0f, -1, 0.0f},
      {"lane 0 turned to -0", 0, kLanes, 0.0f, 1.0f, 0, -0.0f},
      {"one lane not a number", 0, kLanes, 0.0f, 1.0f, 9, nan},
      {"one lane the next float", 0, kLanes, 0.0f, 1.0f, 9, std::nextafter(9.0f / 8.0f, 2.0f)},
      {"overlapping columns", 32, kLanes, 4.0f, 1.0f, -1, 0.0f},
      {"partly covered", 32, 10, 4.0f, 1.0f, -1, 0.0f},
      {"whole again after partly covered", 32, kLanes, 4.0f, 1.0f, -1, 0.0f},
      {"one argument along the row", 0, kLanes, 2.0f, 0.0f, -1, 0.0f},
      {"one argument along the row, lane 5 -0", 0, kLanes, 0.0f, 0.0f, 5, -0.0f},
      {"one argument along the row, lane 7 another", 0, kLanes, 2.0f, 0.0f, 7, 3.0f},
      {"beyond the remembered columns", 4040, kLanes, 1.0f, 1.0f, -1, 0.0f},
      {"before the first column", -16, kLanes, 1.0f, 1.0f, -1, 0.0f},
  };
  thread_local effect_values::ColumnSines sines;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d3d9::PixelBlock block;
    block.x = c.x;
    block.count = c.count;
    alignas(64) float x[kLanes];
    for (int i = 0; i < kLanes; ++i) x[i] = c.first + static_cast<float>(i) / 8.0f * c.step;
    if (c.changed >= 0) x[c.changed] = c.value;
    alignas(64) float out[kLanes];
    for (float& lane : out) lane = 7.0f;
    sines.Lanes(block, x, out);
    for (int i = 0; i < kLanes; ++i) {
      const float expected = i < c.count ? std::sin(x[i]) : 0.0f;
      EXPECT_EQ(Bits(out[i]), Bits(expected)) << "lane " << i;
    }
  }
}

}  // namespace
