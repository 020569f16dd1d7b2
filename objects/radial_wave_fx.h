// The radial waves brush: circular waves running out from the centre, or in towards it, kept
// circular on a picture that is not square.
#pragma once
#include "objects/central_based.h"

class DS_RadialWaveFX : public DS_CentralBased {
 public:
  DS_RadialWaveFX();
  ~DS_RadialWaveFX() override = default;

  // Writes the "DS_RadialWaveFX" record (version 2), then the centre-based record.
  bool Save(DS_IOF_Virtual** stream) override;
  // "bg_scale_factor", "center", "frequency", "amplitude" and "time", then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_RadialWaveFX(*this); }

  // A version-1 record has no wave fields: they keep their defaults.
  void ReadFields(DS_IOF_Virtual** stream, DWORD version);

  UINTSclaleTo<float> amplitude;
  UINTSclaleTo<float> frequency;
  UINTSclaleTo<float> ringScale;
  MediaParamT<int> outward;

 protected:
  DS_RadialWaveFX(const DS_RadialWaveFX& other) = default;
};
