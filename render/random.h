// The one random generator of the whole system. Its sequence is part of the scene's look (particle
// placement, camera moves, the explosion's replay), so it is our own and never the C library's.
#pragma once
#include <cstdint>

// One draw: 0 to 32767. The state starts at 1 and nothing reseeds it at start-up.
int Rand();
// Restarts the sequence from `seed` (the explosion replays its draws this way).
void SRand(uint32_t seed);

// a + r / 32767 x (b - a) for one draw r, in single precision. b < a is allowed.
float RandFloat(float a, float b);
