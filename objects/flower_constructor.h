// A flower: a static object that sways about its foot.
#pragma once
#include "objects/stat_obj_constructor.h"

class DS_FlowerConstructor : public DS_StatObjConstructor {
 public:
  DS_FlowerConstructor() = default;
  ~DS_FlowerConstructor() override = default;

  // The record "DS_FlowerConstructor", version 1: the sway, then the complete static-object record.
  bool Save(DS_IOF_Virtual** stream) override;
  // The head sways by the sway angle while the foot stays where the static object put it. All
  // flowers of a layer sway in step.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The sway, then the nested static-object record by its own version.
  bool ReadFlower(DS_IOF_Virtual** stream);

  float sway = 1.5f;  // degrees

 protected:
  DS_FlowerConstructor(const DS_FlowerConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_FlowerConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FlowerConstructor& flower);
