// A value that moves toward its target at a constant rate and stops there.
#pragma once

struct RampedValue {
  // A non-zero rate replaces the old one; the rate's sign then points from the value to the target.
  void SetTarget(float newTarget, float newRate);
  // Moves by dt x rate, never past the target.
  void Step(float dt);

  float current = 0.0f;
  float target = 0.0f;
  float rate = 0.0f;
};
