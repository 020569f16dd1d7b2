// Fog: puffs that drift and bounce inside the bounds, breathe through the alpha ramp without ever
// restarting, and slowly turn.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "render/particle_sprite_prop.h"

class DS_FogConstructor : public DS_ParticleSystemCtrl {
 public:
  // Both speeds 40, alpha from 0.2 to 1, transparency 50 (its opacity follows).
  DS_FogConstructor();
  ~DS_FogConstructor() override = default;

  // The record "DS_FogConstructor", version 1: the two speeds, then the sprite record.
  bool Save(DS_IOF_Virtual** stream) override;
  void InitParticle(Particle& p) override;
  // The turn is a fixed angle per frame, not per second of animation time.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The speeds straight in, then the sprite record. False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  float maxHorizontalSpeed = 40.0f;  // pixels per second
  float maxVerticalSpeed = 40.0f;

 protected:
  DS_FogConstructor(const DS_FogConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_FogConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FogConstructor& fog);
