#include "render/float_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(RoundToInt, HalvesGoToEvenNeighbour) {
  struct Case {
    float in;
    int32_t out;
  };
  const Case cases[] = {{0.5f, 0}, {1.5f, 2}, {2.5f, 2}, {-0.5f, 0}, {-1.5f, -2}, {3.49f, 3}, {254.6f, 255}};
  for (const Case& c : cases) EXPECT_EQ(RoundToInt(c.in), c.out) << c.in;
}

TEST(RoundToInt, UnrepresentableValuesGiveIntMin) {
  const int32_t minimum = std::numeric_limits<int32_t>::min();
  EXPECT_EQ(RoundToInt(1e20f), minimum);
  EXPECT_EQ(RoundToInt(std::nanf("")), minimum);
}

TEST(FloatAbs, DropsTheSign) {
  EXPECT_EQ(FloatAbs(-2.25f), 2.25f);
  EXPECT_EQ(FloatAbs(2.25f), 2.25f);
}
