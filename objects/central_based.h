// The brushes that work about a stored centre point of the picture. The centre is kept in picture
// pixels; each frame the members express it as a fraction of the current layer picture's size.
#pragma once
#include <d3dx9math.h>

#include "objects/effect_brush.h"

class DS_CentralBased : public DS_FX_Constructor {
 public:
  // The centre starts in the middle of the current layer picture (g_LayerView).
  DS_CentralBased();
  ~DS_CentralBased() override = default;

  // The "DS_CentralBased" record: header, the centre's three floats, then the brush base record.
  bool ReadBase(DS_IOF_Virtual** stream);
  bool SaveBase(DS_IOF_Virtual** stream);

  // The centre as a fraction of the current layer picture's width and height. Without a picture
  // (a size of 0) the fraction on that axis is the middle, 0.5, rather than an infinite value.
  float CentreU() const;
  float CentreV() const;

  MediaParamT<D3DXVECTOR3> centre;

 protected:
  DS_CentralBased(const DS_CentralBased& other) = default;
};
