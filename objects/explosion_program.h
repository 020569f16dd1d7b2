// The native pixel program of the explosion ("explosion_fireball" in an effect file). Stage 0 reads
// "GradientTex", the colours from the fireball's edge (left) to its core (right); stage 1
// "NoiseTex", whose red is the turbulence.
//
// Per pixel of the quad: the distance r from the centre (1 at the middle of an edge) is torn by the
// noise, read twice at the two shifts of "noise_shift" and cross-faded by "time"; "noise_params" are
// the fireball's radius, how far the noise tears its edge and how fine the noise is. The heat falls
// from the core to the torn edge and picks the gradient's colour, times "color1". While "phase_1st"
// is high the fireball flashes hotter; as "phase_3rd" rises it cools into smoke of "color2" that the
// noise eats away until nothing is left. The vertex alpha fades the whole.
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram ExplosionFireballProgram(const std::vector<d3dx9::EffectValue>& values);
