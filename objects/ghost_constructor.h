// Ghosts: half-transparent fish that fade in and out through the alpha ramp and, each time they
// have faded out, reappear elsewhere.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "objects/fish_constructor.h"

class DS_GhostConstructor : public DS_FishConstructor {
 public:
  // Speeds 50 both ways, alpha rate 0.66, transparency 50 (its opacity follows), size factor 1.
  DS_GhostConstructor();
  ~DS_GhostConstructor() override = default;

  // The record "DS_GhostConstructor", version 1: a whole fish record.
  bool Save(DS_IOF_Virtual** stream) override;
  // A fish start with a random alpha.
  void InitParticle(Particle& p) override;
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

 protected:
  DS_GhostConstructor(const DS_GhostConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_GhostConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_GhostConstructor& ghost);
