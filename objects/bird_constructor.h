// Birds: fish with a minimum pace; a slow vertical speed becomes a descent, a slow sideways one a
// brisk one in the same direction.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "objects/fish_constructor.h"

class DS_BirdConstructor : public DS_FishConstructor {
 public:
  DS_BirdConstructor() = default;
  ~DS_BirdConstructor() override = default;

  // The record "DS_BirdConstructor", version 1: a whole fish record.
  bool Save(DS_IOF_Virtual** stream) override;
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

 protected:
  DS_BirdConstructor(const DS_BirdConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_BirdConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_BirdConstructor& bird);
