// The light brush: a pulsing light "multiplier" for its effect, a sine, a square wave or
// one-dimensional fractal noise of its clock.
#pragma once
#include "objects/effect_brush.h"

class DS_LightFX : public DS_FX_Constructor {
 public:
  enum Mode : int { kSine = 0, kSquare = 1, kNoise = 2 };

  DS_LightFX();
  ~DS_LightFX() override = default;

  // Writes the "DS_LightFX" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // "multiplier" = derived intensity x the pulse at the clock time, then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_LightFX(*this); }

  // The pulse in 0..1 at the clock time: mode 1 the square wave, 2 or more noise, any other the sine.
  float Pulse() const;

  void ReadFields(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> intensity;
  MediaParamT<int> mode;

 protected:
  DS_LightFX(const DS_LightFX& other) = default;
};
