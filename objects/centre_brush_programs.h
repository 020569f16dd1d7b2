// The native pixel programs of the centre-based brushes on the software device ("radial_expand",
// "radial_waves" and "turned_background" in an effect file). Each reworks the picture bound as
// "Background" on sampler stage 0 at the screen quad's texture coordinates uv; where "Mask"
// (sampler stage 1) is bound, its red decides how much of the reworked picture shows (0: the plain
// picture).
//
//   radial_expand      the picture pushed outward from "center" by the factor 1 + "amplitude".x and
//                      pulled in towards it by 1 - "amplitude".y (the lookup scales the other way)
//   radial_waves       the lookup moved along the direction from "center" by "amplitude" x sin(phase),
//                      phase = |(uv - center) x "bg_scale_factor"| x z x "frequency" - "time", with
//                      z = "Scale".y (the brush's zoom, which spaces the rings): rings that run
//                      outward as the time grows
//   turned_background  the lookup p + "offset" taken as a row vector times the 2 x 2 "coord_transf",
//                      then moved back by "offset": the picture turned about -"offset", repeating
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram RadialExpandProgram(const std::vector<d3dx9::EffectValue>& values);
d3d9::PixelProgram RadialWavesProgram(const std::vector<d3dx9::EffectValue>& values);
d3d9::PixelProgram TurnedBackgroundProgram(const std::vector<d3dx9::EffectValue>& values);
