// Small float conversions shared by the layers and the scene objects.
#pragma once
#include <cstdint>

float FloatAbs(float x);

// Nearest integer with the processor's default rounding: halves go to the even neighbour
// (0.5 -> 0, 1.5 -> 2, 2.5 -> 2). A value outside the int range, or NaN, gives INT32_MIN, the
// processor's own answer for a conversion it cannot make.
int32_t RoundToInt(float x);
