// The expand brush: the background pushed outward from the centre and pulled back, the push
// swinging between the outer value and minus the inner value as a sine or a triangle wave.
#pragma once
#include "objects/central_based.h"

class DS_ExpandFX : public DS_CentralBased {
 public:
  DS_ExpandFX();
  ~DS_ExpandFX() override = default;

  // Writes the "DS_ExpandFX" record, then the centre-based record.
  bool Save(DS_IOF_Virtual** stream) override;
  // Advances the clock and recomputes the swing.
  void Update(float time) override;
  // "amplitude" (push, pull) from the swing and "center", then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_ExpandFX(*this); }

  void ReadFields(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> outer;
  UINTSclaleTo<float> inner;
  MediaParamT<int> sine;
  float swing = 0.0f;

 protected:
  DS_ExpandFX(const DS_ExpandFX& other) = default;
};
