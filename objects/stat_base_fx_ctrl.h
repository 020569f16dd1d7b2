// The base of the scene elements that are one effect-drawn quad at a fixed place (the text, the
// explosion): an effect particle description whose particles all sit at `position`, drawn by an
// effect object that asks the description for its effect parameters before every draw.
#pragma once
#include <d3dx9math.h>

#include "document/media_param_t.h"
#include "render/particle_fx_ctrl.h"

class DS_StatBaseFXCtrl : public DS_BaseFXCtrl {
 public:
  // Centred on the current layer picture; height and width 0.
  DS_StatBaseFXCtrl();
  ~DS_StatBaseFXCtrl() override = default;

  bool Save(DS_IOF_Virtual** stream) override;
  // An effect object around a clone; the object loads the clone's resources.
  DS_ABObj* CreateObject() override;
  // The effect; the position stays as read.
  void LoadResources() override;

  // "DS_StatBaseFXCtrl" version 2: position, height, width, then the effect particle levels below it.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // Reads the header and the fields of the stored version (a version-1 level has no height and
  // width), then the levels below. Nobody is told. False once the stream has failed.
  bool ReadBase(DS_IOF_Virtual** stream);

  MediaParamT<D3DXVECTOR3> position;  // centre of the quad in picture pixels
  MediaParamT<UINT> height{0};        // pixels
  MediaParamT<UINT> width{0};         // pixels

 protected:
  DS_StatBaseFXCtrl(const DS_StatBaseFXCtrl& other) = default;
};
