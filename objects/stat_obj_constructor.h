// A static object: one sprite placed, sized and turned by the author, with its own bounding
// rectangle for selection. The flower and the discharge build on it.
#pragma once
#include <d3dx9math.h>

#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "document/media_param_t.h"
#include "document/media_rectangle.h"
#include "render/particle_sprite_prop.h"

class DS_StatObjConstructor : public DS_ParticleSystemCtrl {
 public:
  DS_StatObjConstructor();
  ~DS_StatObjConstructor() override = default;

  // The complete "DS_StatObjConstructor" record, version 2.
  bool Save(DS_IOF_Virtual** stream) override;
  // The image links resolved, then a sprite object around a clone, marked as a static object.
  DS_ABObj* CreateObject() override;
  // The rectangle's corners: (left, bottom), (left, top), (right, bottom), (right, top).
  void GetScreenQuad(QuadCorners* quad) override;
  bool HitTest(float x, float y) override;
  // The sprite at the rectangle's centre, sized by the size rule, turned by the rotation; the
  // rectangle then bounds the turned sprite.
  void InitParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // The rectangle's edges := the bounding box of the turned sprite, fractions dropped.
  void UpdateRect(const Particle& p);

  // Header "DS_StatObjConstructor" version 2 and the fields.
  bool SaveLevel(DS_IOF_Virtual** stream) const;
  // The fields of a level of `version`: a version-1 level stores the two flips here. False once
  // the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);
  // A nested level: its header, then its fields.
  bool ReadLevel(DS_IOF_Virtual** stream);

  MediaRectangle rectangle;         // picture pixels; the further values are the centre
  MediaParamT<UINT> rotation{0};    // degrees, counterclockwise on the screen
  D3DXMATRIX rotationMatrix;

 protected:
  DS_StatObjConstructor(const DS_StatObjConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_StatObjConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_StatObjConstructor& object);
