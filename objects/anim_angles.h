// Animators keep their angles in degrees; rotation matrices take radians.
#pragma once

inline constexpr float kAnimPi = 3.1415927f;

inline float DegreesToRadians(float degrees) { return degrees * 2.0f * kAnimPi / 360.0f; }
