#include "objects/ramped_value.h"

#include <cmath>

void RampedValue::SetTarget(float newTarget, float newRate) {
  if (newRate != 0.0f) rate = newRate;
  target = newTarget;
  rate = current < target ? std::fabs(rate) : -std::fabs(rate);
}

void RampedValue::Step(float dt) {
  if (current == target) return;
  current += dt * rate;
  if ((rate > 0.0f && current > target) || (rate < 0.0f && current < target)) current = target;
}
