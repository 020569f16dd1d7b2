// The native pixel program of the move effect ("background_move" in an effect file): the picture
// bound as "Background" on sampler stage 0, looked up at the screen quad's texture coordinates
// minus "Direction" (a fraction of the picture's size), so the picture appears moved by
// "Direction". A lookup beyond an edge repeats that edge rather than showing the far side. Where
// "Mask" (sampler stage 1) is bound, its red decides how much of the moved picture shows over the
// plain one (0: the plain picture).
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram BackgroundMoveProgram(const std::vector<d3dx9::EffectValue>& values);
