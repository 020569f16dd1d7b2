// Lightning: each sprite stays dark, now and then flashes up at a random place in the bounds with a
// small random tilt and a random mirror, flickers while it fades out over a sixth of a second, and
// goes dark again for at least a second. Drawn additively by default.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "render/particle_sprite_prop.h"

class DS_LightingConstructor : public DS_ParticleSystemCtrl {
 public:
  // Additive blending and the view flag set.
  DS_LightingConstructor();
  ~DS_LightingConstructor() override = default;

  // The record "DS_LightingConstructor", version 1: the sprite record only.
  bool Save(DS_IOF_Virtual** stream) override;
  // A new place, tilt and mirror; the sprite starts dark (alpha 0). Four draws.
  void InitParticle(Particle& p) override;
  // The dark / flash / flicker cycle on the animation clock, then the vertex colour.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

 protected:
  DS_LightingConstructor(const DS_LightingConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_LightingConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_LightingConstructor& lightning);
