// Light rays: tall parallelograms the height of the picture, leaning by the layer's angle, that
// drift slowly sideways and breathe through the alpha ramp; a ray that has faded out comes back
// elsewhere.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "document/media_param_t.h"
#include "render/particle_sprite_prop.h"

class DS_GodRayConstructor : public DS_ParticleSystemCtrl {
 public:
  DS_GodRayConstructor() = default;
  ~DS_GodRayConstructor() override = default;

  // The record "DS_GodRayConstructor", version 1: the angle, then the sprite record.
  bool Save(DS_IOF_Virtual** stream) override;
  void InitParticle(Particle& p) override;
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The angle straight in, then the sprite record. False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  // Half width from the size, half height half the picture's height, and axis 2 sheared so that the
  // long sides lean by the angle.
  void ShapeRay(Particle& p) const;
  // The horizontal part of axis 2 for an angle: 1 / tan of the angle from the horizontal. Rays at
  // or near 0, 180 and 360 degrees would lie flat, an endless shear; theirs is held at the lean of
  // 89 degrees.
  static float Shear(UINT angle);

  MediaParamT<UINT> angle{80};  // degrees; 90 and 270 stand upright

 protected:
  DS_GodRayConstructor(const DS_GodRayConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_GodRayConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_GodRayConstructor& ray);
