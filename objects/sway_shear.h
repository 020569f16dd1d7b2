// The lean of a swaying sprite: its axis 2 becomes (SwayShear(angle), 1, 0), which leans it by
// angle - 90 degrees while keeping its height.
#pragma once
#include <cmath>

// 1 / tan((180 - angle) x 2 pi / 360) for an angle in degrees. A sway that reaches the horizontal
// (0 or 180 degrees, an endless shear) is held at the lean of 89 degrees, so that no sprite's
// corners run off to infinity.
inline float SwayShear(float angle) {
  constexpr float kPi = 3.1415927f;
  constexpr float kMaxShear = 57.28996f;  // 1 / tan(1 degree)
  const float shear = 1.0f / std::tan((180.0f - angle) * 2.0f * kPi / 360.0f);
  if (!(std::fabs(shear) <= kMaxShear)) return std::copysign(kMaxShear, shear);
  return shear;
}
