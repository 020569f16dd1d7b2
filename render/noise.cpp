#include "render/noise.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// x truncated toward zero; a value outside the int range, or NaN, gives INT32_MIN, as the
// processor's conversion does, instead of undefined behaviour.
int32_t TruncateToInt(double x) {
  const double truncated = std::trunc(x);
  if (!(truncated >= -2147483648.0 && truncated < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(truncated);
}

// The hash works on 32-bit words with wrap-around; unsigned arithmetic gives exactly that.
double LatticeValue(int32_t k) {
  uint32_t n = static_cast<uint32_t>(k);
  n ^= n << 13;
  const uint32_t h = (n * (n * n * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
  return 1.0 - static_cast<double>(h) / 1073741824.0;
}

// base^exponent by repeated squaring, as the octave weights have always been formed.
double IntegerPower(double base, int exponent) {
  double result = 1.0;
  while (exponent > 0) {
    if (exponent & 1) result *= base;
    base *= base;
    exponent >>= 1;
  }
  return result;
}

}  // namespace

double Noise1D(double x) {
  const int32_t n = TruncateToInt(x);
  const int32_t m = TruncateToInt(static_cast<double>(n) + 1.0);
  const double f = (1.0 - std::cos((x - n) * 3.1415927)) * 0.5;
  return LatticeValue(n) * (1.0 - f) + LatticeValue(m) * f;
}

double FractalNoise1D(double x, double scale, double persistence, int octaves) {
  double sum = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += IntegerPower(persistence, i) * Noise1D(IntegerPower(2.0, i) * x / scale);
  }
  return sum;
}
