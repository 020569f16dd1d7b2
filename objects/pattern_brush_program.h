// The native pixel program of the pattern effect on the software device ("tiled_pattern" in an
// effect file). Sampler stage 0 reads "Background", 1 "Mask" and 2 "Pattern".
//
// A pixel at the screen quad's coordinates uv lies in the pattern at
// t = ((uv x "scale") x M) / "scale" + "offset", with M the 2 x 2 "coord_transf" (rows (M11, M12)
// and (M21, M22)) times "Scale".y (the brush's zoom, which sizes the tiles): M counts the tiles
// across and down and turns them, and "scale" (the tile's width
// over its height) keeps a turned tile its shape. The pattern repeats; its alpha, times the red of
// "Mask" where one is bound, lays it over the background.
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram TiledPatternProgram(const std::vector<d3dx9::EffectValue>& values);
