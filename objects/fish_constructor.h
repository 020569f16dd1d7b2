// Swimming sprites that wander through their bounds: they cross the bounds sideways, turn round
// once entirely outside, bounce off the top and bottom, face their direction of travel (a negative
// half width mirrors the sprite) and change pace now and then on the scene clock. The base of the
// birds and the ghosts.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "render/particle_sprite_prop.h"

class DS_FishConstructor : public DS_ParticleSystemCtrl {
 public:
  DS_FishConstructor() = default;
  ~DS_FishConstructor() override = default;

  // The record "DS_FishConstructor", version 1: the two speeds, then the sprite record.
  bool Save(DS_IOF_Virtual** stream) override;
  void InitParticle(Particle& p) override;
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The fish record with its header, as the birds and ghosts store it inside theirs.
  bool SaveFishRecord(DS_IOF_Virtual** stream) const;
  bool ReadFishRecord(DS_IOF_Virtual** stream);
  // The speeds straight in, then the sprite record. False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  float maxHorizontalSpeed = 80.0f;  // pixels per second; speeds are drawn from [-max, max]
  float maxVerticalSpeed = 50.0f;

 protected:
  DS_FishConstructor(const DS_FishConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_FishConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FishConstructor& fish);
