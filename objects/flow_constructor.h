// A particle layer whose sprites stream across the picture in one direction (leaves on a river,
// snow, smoke): each moves along the flow direction, wobbles sideways, goes faster the bigger it is,
// may turn its sprite with the flow, and is handled at each of the four edges of the bounds by its
// own edge control (wrap with a fade, bounce, or bounce after a pause).
#pragma once
#include <d3dx9math.h>

#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "document/media_control_list.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "objects/bound_control.h"
#include "render/particle_sprite_prop.h"

class DS_FlowConstructor : public DS_ParticleSystemCtrl {
 public:
  enum Orientation : INT { kUpright = 0, kTurned = 1, kMirroredLeft = 2, kMirroredUp = 3 };

  // Edges 0 to 3 bound to this description, and the angle bound (its vectors computed at once).
  DS_FlowConstructor();
  ~DS_FlowConstructor() override = default;

  // The record "DS_FlowConstructor", version 4, then the sprite record.
  bool Save(DS_IOF_Virtual** stream) override;
  void InitParticle(Particle& p) override;
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;

  // Header and version 4, then the fields.
  bool SaveRecord(DS_IOF_Virtual** stream);
  // The fields of a record of `version`, then the sprite record. Values go straight in; only the
  // orientation of a version-2 record is set and notified. False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  // The flow matrix turns by (360 - angle) degrees; the flow and cross vectors follow from it and
  // from the speed as it is now.
  static void OnAngleChanged(DS_FlowConstructor* self, UINT angle);
  // Half sizes from the size factor and aspect, the colour, and the axes the orientation gives a
  // new particle (orientations 2 and 3 set theirs while moving).
  void ShapeParticle(Particle& p) const;

  MediaParamT<UINT> angle{0};  // degrees counterclockwise from rightward on screen (90 up)
  MediaFloat<unsigned int> wobbleAmplitude;  // derived: sideways pixels per second at full wobble
  MediaFloat<unsigned int> wobbleRate;       // derived: wobble changes per second
  float speed = 0.0f;                        // pixels per second along the flow
  MediaParamT<INT> orientation{kUpright};
  DS_BoundControl topEdge;
  DS_BoundControl bottomEdge;
  DS_BoundControl leftEdge;
  DS_BoundControl rightEdge;
  MediaControlList controls;
  D3DXVECTOR4 flowVector{0.0f, 0.0f, 0.0f, 0.0f};
  D3DXVECTOR4 crossVector{0.0f, 1.0f, 0.0f, 0.0f};
  D3DXMATRIX flowMatrix;

 protected:
  // Every stored value and the vectors; the angle and the edges are bound to the copy again.
  DS_FlowConstructor(const DS_FlowConstructor& other);

  // The four edge controls in the order the flow asks them.
  DS_BoundControl& Edge(int i) { return i == 0 ? topEdge : i == 1 ? bottomEdge : i == 2 ? leftEdge : rightEdge; }
  const DS_BoundControl& Edge(int i) const {
    return i == 0 ? topEdge : i == 1 ? bottomEdge : i == 2 ? leftEdge : rightEdge;
  }

 private:
  void BindAngle();
  void BindEdges();
};

template <>
void IOF_ReadFields<DS_FlowConstructor>(DS_IOF_Virtual** stream, DWORD version, DS_FlowConstructor& flow);
