// The native pixel program of the fire effect on the software device ("fire_flame" in an effect
// file). Sampler stage 0 reads "Pattern", 1 "Noise" and 2 "Mask".
//
// Three noise lookups scrolled by the time shifts "c11", "c12" and "c13" (their second values) at
// one, two and four times the grid's scale are averaged to n; the pattern, looked up at the grid's
// coordinates moved by (n - 0.5) x 0.2, gives the flame shape p. The strength s = p x (n + 0.5 +
// "Density"), held to 0..1, picks the colour "ColorK1" + "ColorK2" x s, made brighter by
// 0.7 + "Brightness"; s is also the alpha, times the red of "Mask" when a mask is bound.
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram FireFlameProgram(const std::vector<d3dx9::EffectValue>& values);
