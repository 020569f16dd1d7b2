#include "render/particle_sprite_prop.h"

DS_BaseSpriteProp::DS_BaseSpriteProp() {
  transparency.offset = 255.0f;
  transparency.scale = -2.55f;
  transparency = 0u;  // recomputes the maximum opacity: 255
}

DS_BaseSpriteProp::DS_BaseSpriteProp(const DS_BaseSpriteProp& other) = default;

UINT DS_BaseSpriteProp::NextFrame(UINT current) { return (current + 1) % StripFrames(); }
