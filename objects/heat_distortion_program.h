// The native pixel program of the heat-distortion effect on the software device ("heat_distortion"
// in an effect file). Sampler stage 0 reads "SceneTex", the layer as drawn, and stage 1 "Bumpmap".
//
// The bump map is looked up at the pixel's coordinates times "bump_scale" plus "Offset"; its red and
// green (signed offsets when the map is stored signed, otherwise taken from 0..1 to -1..1) times
// "stenght" move the coordinates at which the scene is read. The scene's colour comes out opaque.
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram HeatDistortionProgram(const std::vector<d3dx9::EffectValue>& values);
