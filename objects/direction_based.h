// The intermediate base of the brushes that move along a stored direction: an amplitude, an angle
// in degrees and the unit vector of that angle, kept current by an observer on the angle.
#pragma once
#include <d3dx9math.h>

#include "document/media_control_list.h"
#include "objects/effect_brush.h"

class DS_DirectionBased : public DS_FX_Constructor {
 public:
  ~DS_DirectionBased() override = default;

  // direction = (cos, sin) of theta = 360 - angle degrees.
  void UpdateDirection();
  // Runs UpdateDirection whenever `property` notifies; the observer joins the brush's control list.
  void BindDirectionRecompute(MediaParam& property);

  // The "DS_DirectionBased" record: header, amplitude and angle, then the brush base record. The
  // angle is stored without telling its observers, so the direction stays what it was until the
  // next recompute (the clone a slide draws makes one).
  bool ReadBase(DS_IOF_Virtual** stream);
  bool SaveBase(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> amplitude;
  MediaParamT<unsigned int> angle;
  // Declared after the property it observes, so its observer leaves the angle before the angle dies.
  MediaControlList controls;
  D3DXVECTOR4 direction{0.0f, 0.0f, 0.0f, 0.0f};

 protected:
  DS_DirectionBased();
  // The values, with an observer of its own bound on the copy's angle.
  DS_DirectionBased(const DS_DirectionBased& other);
};
