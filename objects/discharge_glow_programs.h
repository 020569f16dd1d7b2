// The native pixel programs of a discharge's glow, by their names in the effect file:
//   "glow_gather"  the glow picture ("Texture1", stage 0) weighted by its alpha times the segment's
//                  vertex alpha (the segment's colour is not used: the glow is gathered as a grey
//                  light and tinted later), so that a Max blend into a cleared target keeps the
//                  brightest glow;
//   "glow_screen"  the layer's background ("Texture1", stage 0) lit by the gathered glow ("Texture2",
//                  stage 1) tinted by "BlendColor" (rgb, and its fourth value as intensity), combined
//                  as a screen: 1 - (1 - background) x (1 - glow), which brightens and never saturates
//                  abruptly;
//   "glow_normal"  the same glow laid over the background as a colour of that strength.
// The result is opaque: the pass redraws the whole layer.
#pragma once
#include <vector>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

d3d9::PixelProgram GlowGatherProgram(const std::vector<d3dx9::EffectValue>& values);
d3d9::PixelProgram GlowScreenProgram(const std::vector<d3dx9::EffectValue>& values);
d3d9::PixelProgram GlowNormalProgram(const std::vector<d3dx9::EffectValue>& values);
