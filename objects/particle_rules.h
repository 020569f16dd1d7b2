// What the particle classes share: the size rule their sprites are shaped by, and a draw of the
// random generator as a fraction.
#pragma once
#include "render/particle.h"
#include "render/particle_sprite_prop.h"
#include "render/random.h"

// The larger half extent is size factor x size / 2; the other follows the picture's aspect
// (height / width).
inline void ShapeBySize(Particle& p, const DS_BaseSpriteProp& d) {
  const float extent = p.sizeFactor * static_cast<float>(d.size.value) * 0.5f;
  if (p.aspect < 1.0f) {
    p.halfWidth = extent;
    p.halfHeight = p.aspect * extent;
  } else {
    p.halfHeight = extent;
    p.halfWidth = extent / p.aspect;
  }
}

// One draw of the random generator as a fraction: rand / 32767, 0 to 1.
inline float RandUnit() { return static_cast<float>(Rand()) / 32767.0f; }

// The alpha pulse: alpha moves by its rate over the animation step and turns round at the alpha
// minimum and maximum. With `restart`, a particle that has faded below the minimum first starts
// again as the description starts its particles.
inline void PulseAlpha(DS_BaseSpriteProp& d, Particle& p, bool restart) {
  p.alpha += d.animationStep * p.alphaRate;
  if (d.alphaMinimum > p.alpha) {
    if (restart) d.InitParticle(p);
    p.alpha = d.alphaMinimum;
    p.alphaRate = -p.alphaRate;
  } else if (p.alpha > d.alphaMaximum) {
    p.alpha = d.alphaMaximum;
    p.alphaRate = -p.alphaRate;
  }
}
