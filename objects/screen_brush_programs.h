// The native pixel programs of the background copy, light and waves effects on the software device
// ("background_copy", "light_pulse" and "straight_waves" in an effect file). Each reworks the
// picture bound as "Background" on sampler stage 0 at the screen quad's texture coordinates; where
// "Mask" (sampler stage 1) is bound, its red decides how much of the reworked picture shows over the
// plain one (0: the plain picture). The result is opaque where the picture is.
//
//   background_copy  the picture moved by "offset" (a fraction of its size), repeating mirrored as the
//                    layer's sampler does: an offset of a whole picture shows the mirrored copy
//   light_pulse      the picture brightened by the factor 1 + "multiplier"
//   straight_waves   the lookup moved along "direction_n" by "amplitude" x sin(phase), with
//                    phase = dot(uv x "Scale", "direction") x "frequency" + "time": wave fronts
//                    across "direction" that run the opposite way as the time grows
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram BackgroundCopyProgram(const std::vector<d3dx9::EffectValue>& values);
d3d9::PixelProgram LightPulseProgram(const std::vector<d3dx9::EffectValue>& values);
d3d9::PixelProgram StraightWavesProgram(const std::vector<d3dx9::EffectValue>& values);
