// The native pixel program of the underwater effect on the software device ("underwater_wobble" in
// an effect file). Sampler stage 0 reads "Background", 1 "Mask".
//
// The background is looked up at the quad's coordinates (u, v) moved by a wave in each direction:
//   u' = u + a x sin(fy x v + t),  v' = v + a x sin(fx x u + t)
// with (fx, fy) = "frequency" x "Scale".y (the brush's zoom spaces the crests), a = "amplitude" and
// t = "time". The x frequency carries the picture's aspect, so the crests lie as far apart across as
// down. When a mask is bound its red scales a, so a
// black mask keeps the picture still. The background's alpha is kept.
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram UnderwaterWobbleProgram(const std::vector<d3dx9::EffectValue>& values);
