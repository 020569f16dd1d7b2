// Sparkles: square sprites that drift in any direction and grow as they brighten, half as large at
// alpha 0 as at alpha 1; one that has faded out, or drifted out of the element, comes back elsewhere.
// They have no other edge handling.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "render/particle_sprite_prop.h"

class DS_SparkleConstructor : public DS_ParticleSystemCtrl {
 public:
  // The view flag is set.
  DS_SparkleConstructor();
  ~DS_SparkleConstructor() override = default;

  // The record "DS_SparkleConstructor", version 1: the sprite record only.
  bool Save(DS_IOF_Virtual** stream) override;
  void InitParticle(Particle& p) override;
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

 protected:
  DS_SparkleConstructor(const DS_SparkleConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_SparkleConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_SparkleConstructor& sparkle);
