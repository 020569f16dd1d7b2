#include "render/float_helpers.h"

#include <cmath>
#include <limits>

float FloatAbs(float x) { return std::fabs(x); }

int32_t RoundToInt(float x) {
  const double rounded = std::nearbyint(static_cast<double>(x));
  if (!(rounded >= -2147483648.0 && rounded < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}
