// Grass: blades standing on the bottom bound, swaying in a wave that runs across the picture.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "render/particle_sprite_prop.h"

class DS_GrassConstructor : public DS_ParticleSystemCtrl {
 public:
  DS_GrassConstructor() = default;
  ~DS_GrassConstructor() override = default;

  // The record "DS_GrassConstructor", version 1: the amplitude, then the sprite record.
  bool Save(DS_IOF_Virtual** stream) override;
  // A blade at a random x on the bottom bound, with a random phase and a random mirror. The phase
  // is kept in velocity y and the x of the blade's foot in velocity z.
  void InitParticle(Particle& p) override;
  // The blade leans by the wave and its centre moves so that the middle of its foot stays put.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The amplitude straight in, then the sprite record. False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  float amplitude = 3.0f;  // degrees of sway

 protected:
  DS_GrassConstructor(const DS_GrassConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_GrassConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_GrassConstructor& grass);
