// A discharge: a static object whose strip frame jumps at random.
#pragma once
#include "objects/stat_obj_constructor.h"

class DS_DischargeConstructor : public DS_StatObjConstructor {
 public:
  DS_DischargeConstructor() = default;
  ~DS_DischargeConstructor() override = default;

  // The record "DS_DischargeConstructor", version 1: the complete static-object record.
  bool Save(DS_IOF_Virtual** stream) override;
  // A random strip frame other than `current`. With a single frame there is no other one to show;
  // the current frame stays.
  UINT NextFrame(UINT current) override;
  DS_ParticleSystemCtrl* Clone() const override;

 protected:
  DS_DischargeConstructor(const DS_DischargeConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_DischargeConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                             DS_DischargeConstructor& discharge);
