#include "render/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {
// The lattice value at an integer, worked out by hand from the hash with 64-bit arithmetic
// reduced to 32 bits, independently of the code under test.
double Lattice(int64_t k) {
  uint64_t n = static_cast<uint32_t>(k);
  n = (n ^ (n << 13)) & 0xFFFFFFFFu;
  const uint64_t inner = (n * n % 4294967296u * 15731u + 789221u) % 4294967296u;
  const uint64_t h = ((n * inner) % 4294967296u + 4294967296u - 771171059u) % 4294967296u & 0x7FFFFFFFu;
  return 1.0 - static_cast<double>(h) / 1073741824.0;
}
}  // namespace

TEST(Noise1D, ZeroIsItsLatticeValue) {
  EXPECT_DOUBLE_EQ(Noise1D(0.0), 1.0 - 1376312589.0 / 1073741824.0);
  EXPECT_NEAR(Noise1D(0.0), -0.2818, 1e-4);
}

TEST(Noise1D, IntegersGiveExactLatticeValuesIncludingWrappedHashes) {
  // 2^19 loses every bit in the shift by 13; the others overflow 32 bits in the products.
  for (int64_t k : {1, 2, 7, -3, 1000, 524288, 123456789}) {
    EXPECT_EQ(Noise1D(static_cast<double>(k)), Lattice(k)) << k;
  }
}

TEST(Noise1D, MirroredAboutZeroAndInterpolatedBetweenLattice) {
  EXPECT_EQ(Noise1D(-0.5), Noise1D(0.5));
  EXPECT_EQ(Noise1D(-0.25), Noise1D(0.25));
  // Half-way the cosine weight is 1/2 (up to the decimal pi), so the mean of the two lattice values.
  EXPECT_NEAR(Noise1D(0.5), (Lattice(0) + Lattice(1)) * 0.5, 1e-7);
  EXPECT_NEAR(Noise1D(3.5), (Lattice(3) + Lattice(4)) * 0.5, 1e-7);
}

TEST(Noise1D, HugeOrNonFiniteInputGivesAFiniteValue) {
  EXPECT_TRUE(std::isfinite(Noise1D(1e300)));
  EXPECT_TRUE(std::isfinite(Noise1D(-1e300)));
}

TEST(FractalNoise1D, OctavesSumScaledNoise) {
  EXPECT_EQ(FractalNoise1D(0.0, 75.0, 0.5, 1), Noise1D(0.0));
  EXPECT_EQ(FractalNoise1D(5.0, 75.0, 0.5, 0), 0.0);
  EXPECT_EQ(FractalNoise1D(5.0, 75.0, 0.5, -2), 0.0);
  const double x = 123.0;
  EXPECT_DOUBLE_EQ(FractalNoise1D(x, 75.0, 0.5, 3),
                   Noise1D(x / 75.0) + 0.5 * Noise1D(2.0 * x / 75.0) + 0.25 * Noise1D(4.0 * x / 75.0));
}
