// The waves brush: a straight wave run across the picture in a stored direction. The wave direction
// and its second vector follow the angle and the reverse setting through two observers.
#pragma once
#include <d3dx9math.h>

#include "document/fun_light_ctrl.h"
#include "document/media_control_list.h"
#include "objects/effect_brush.h"

class DS_WavesFX : public DS_FX_Constructor {
 public:
  DS_WavesFX();
  ~DS_WavesFX() override = default;

  // Writes the "DS_WavesFX" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // "direction", "direction_n", "frequency", "amplitude" and "time", then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_WavesFX(*this); }

  // direction = (cos, sin) of 360 - angle degrees; normal = direction turned by +90 degrees, or, with
  // reverse set, the opposite of direction.
  void UpdateDirections();
  // Runs UpdateDirections whenever `property` notifies; the observer joins the brush's control list.
  void BindDirectionRecompute(MediaParam& property);

  // Angle and reverse are stored without telling the observers: the vectors keep what they were
  // until the next recompute (the clone a slide draws makes one).
  void ReadFields(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> amplitude;
  UINTSclaleTo<float> frequency;
  MediaParamT<unsigned int> angle;
  MediaParamT<int> reverse;
  // Declared after the properties it observes, so its observers leave them before they die.
  MediaControlList controls;
  D3DXVECTOR4 direction{0.0f, 0.0f, 0.0f, 0.0f};
  D3DXVECTOR4 normal{0.0f, 0.0f, 0.0f, 0.0f};

 protected:
  // The values, with observers of its own bound on the copy's angle and reverse.
  DS_WavesFX(const DS_WavesFX& other);

 private:
  void BindAndUpdate();
};
