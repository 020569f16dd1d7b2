// The water brush: the picture seen through a moving water surface. A bump picture, looked up through
// a slowly turning 2 x 2 transform, perturbs the background; two wave terms run along a stored
// direction; the result is tinted by a stored colour and shaded against a half vector.
#pragma once
#include <d3dx9math.h>

#include "document/fun_light_ctrl.h"
#include "document/image_file_link.h"
#include "document/media_color.h"
#include "document/media_control_list.h"
#include "objects/effect_brush.h"

class DS_WaterFX : public DS_FX_Constructor {
 public:
  DS_WaterFX();
  ~DS_WaterFX() override = default;

  // Writes the "DS_WaterFX" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // The bump texture of the bump link (null when the link gives no picture), then the base's load.
  void Load(MaskHolder* maskHolder) override;
  // The clock, then the bump transform for the new clock time.
  void Update(float time) override;
  // The water parameters, then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_WaterFX(*this); }

  // direction = (cos, sin, 0, 0) of the angle in degrees (the angle itself, not 360 - angle).
  void UpdateDirection();
  // Runs UpdateDirection whenever `property` notifies; the observer joins the brush's control list.
  void BindDirectionRecompute(MediaParam& property);

  // The angle is stored without telling its observer: the direction keeps its value until the next
  // recompute (the clone a slide draws makes one).
  void ReadFields(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> shape;
  UINTSclaleTo<float> bumpRotationScale;
  UINTSclaleTo<float> wave2Scale;
  UINTSclaleTo<float> wave1Scale;
  MediaParamT<unsigned int> angle;  // degrees
  UINTSclaleTo<float> shadows;
  UINTSclaleTo<float> halfVectorHeight;
  MediaColor color;  // 0x00BBGGRR
  DS_ImageFileLink bumpLink;
  ComHolder<IDirect3DTexture9> bumpTexture;
  float bumpTransform[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  D3DXVECTOR4 direction{0.0f, 0.0f, 0.0f, 0.0f};
  // Declared after the angle it observes, so its observer leaves the angle before the angle dies.
  MediaControlList controls;

 protected:
  // The values, the colour and the bump link; no bump texture and no bump transform (both follow on
  // the copy's own load and update); an observer of its own on the copy's angle.
  DS_WaterFX(const DS_WaterFX& other);

 private:
  void BindAndUpdate();
};
