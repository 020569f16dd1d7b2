// The water brush's native pixel program, registered as "water_surface".
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

// Stage 0 reads "Background", stage 1 "Mask", stage 2 "BumpMap". The bump texel's red and green
// (signed offsets for a map stored signed, otherwise 0..1 with mid-grey flat) give a slope turned by
// "BampTrans"; a wave along "Direction1" moving with "Time" pushes the lookup by "Direction2", its
// profile a sine whose crests sharpen as the shape in "P2" grows; the colour is tinted by "Color"
// and darkened, by up to "Shadows", where the slope turns away from the light in "Vhalf". A flat
// surface is never darkened. Without a bump texture the surface is flat.
d3d9::PixelProgram WaterSurfaceProgram(const std::vector<d3dx9::EffectValue>& values);
