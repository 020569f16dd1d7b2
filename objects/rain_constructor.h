// The flow preset for rain: straight down, fast, drops turned along their fall, with an alpha pulse
// of each drop's own. The edge fades of the flow never show on a drop: a wrap edge moves it across
// without fading it.
#pragma once
#include <d3dx9math.h>

#include <windows.h>

#include "document/class_registry.h"
#include "objects/flow_constructor.h"

class DS_RainConstructor : public DS_FlowConstructor {
 public:
  // The flow defaults, then angle 270, no wobble, speed 2000, size factors 0.5 to 1, turned drops.
  DS_RainConstructor();
  ~DS_RainConstructor() override = default;

  // The record "DS_RainConstructor", version 1: the whole flow record.
  bool Save(DS_IOF_Virtual** stream) override;
  // A flow particle with a random alpha, turned once more by three quarters of a turn when it turns
  // with the flow, so that at angle 270 it stands upright while it falls.
  void InitParticle(Particle& p) override;
  // The flow step, then the drop's alpha pulse; a drop that fades below the minimum starts again
  // elsewhere.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The nested flow record: its header, then its fields of the version it names.
  bool ReadRecord(DS_IOF_Virtual** stream);

  // The alpha the edge controls see during the flow step. A drop shows its own alpha, so for the
  // controls a wrap edge's fade-out is over as soon as the edge takes the drop, and its fade-in as
  // soon as the pause has ended: the drop is moved across and freed instead of being held by a
  // fade that never completes.
  float EdgeAlpha(const Particle& p) const;

  D3DXMATRIX rainMatrix;

 protected:
  DS_RainConstructor(const DS_RainConstructor& other);
};

template <>
void IOF_ReadFields<DS_RainConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_RainConstructor& rain);
