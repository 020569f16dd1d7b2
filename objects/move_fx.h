// The move brush: the whole background swayed back and forth along the stored direction by the
// sine, or the one-dimensional noise, of its clock.
#pragma once
#include "objects/direction_based.h"

class DS_MoveFX : public DS_DirectionBased {
 public:
  // The mode that sways by noise; every other value sways by a sine.
  static constexpr int kNoise = 1;

  DS_MoveFX();
  ~DS_MoveFX() override = default;

  // Writes the "DS_MoveFX" record (header, mode), then the "DS_DirectionBased" record.
  bool Save(DS_IOF_Virtual** stream) override;
  // Advances the clock and recomputes the offset from it.
  void Update(float time) override;
  // "Direction" = the offset, then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_MoveFX(*this); }

  // The mode, then the "DS_DirectionBased" record.
  void ReadFields(DS_IOF_Virtual** stream);

  MediaParamT<int> mode;
  float offset[2] = {0.0f, 0.0f};

 protected:
  DS_MoveFX(const DS_MoveFX& other) = default;
};
