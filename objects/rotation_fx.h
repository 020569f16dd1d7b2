// The rotation brush: the background turned about the centre, in a frame stretched by the aspect
// value along a stored angle, so that the turn can follow a picture's perspective.
#pragma once
#include "objects/central_based.h"

class DS_RotationFX : public DS_CentralBased {
 public:
  // The effect is the one the stored record names: the link starts empty.
  DS_RotationFX();
  ~DS_RotationFX() override = default;

  // Writes the "DS_RotationFX" record, then the centre-based record.
  bool Save(DS_IOF_Virtual** stream) override;
  // Advances the clock; the rotation is the clock time, negated with reverse set.
  void Update(float time) override;
  // "coord_transf" and "offset", then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_RotationFX(*this); }

  // The upper-left 2 x 2 block, in row order, of the turn stretched by the aspect and conjugated by
  // the angle. An aspect of 0 (a brush never given one) would be infinite: it turns unstretched.
  void CoordTransform(float out[4]) const;

  void ReadFields(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> aspect;
  MediaParamT<unsigned int> angle;
  MediaParamT<int> reverse;
  float rotation = 0.0f;

 protected:
  DS_RotationFX(const DS_RotationFX& other) = default;
};
