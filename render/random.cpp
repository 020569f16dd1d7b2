#include "render/random.h"

namespace {
uint32_t g_RandState = 1;
}

int Rand() {
  g_RandState = g_RandState * 214013u + 2531011u;
  return static_cast<int>((g_RandState >> 16) & 0x7FFFu);
}

void SRand(uint32_t seed) { g_RandState = seed; }

float RandFloat(float a, float b) {
  const float range = b - a;
  const float fraction = static_cast<float>(Rand()) / 32767.0f;
  const float offset = fraction * range;
  return a + offset;
}
