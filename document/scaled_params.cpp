#include "document/scaled_params.h"

void MediaSpeedParam::Update(float t) {
  if (last > t) last = t;
  float dt = t - last;
  if (dt > 0.2f) dt = 0.2f;
  step = derived * dt;
  accumulated = accumulated + step;
  last = t;
}
