// The underwater layer: a 2D light layer that shows the slide as if under water. The picture and
// every object are drawn into the layer's own target (the layer always has a post effect); the post
// render then draws that texture onto the back buffer through an embedded underwater brush, which
// wobbles it. It lives with the brushes because it embeds one.
#pragma once
#include "objects/underwater_brush.h"
#include "slideshow/light_2d.h"

class FakeUndervater : public DS_2D_Light {
 public:
  FakeUndervater() = default;
  ~FakeUndervater() override = default;

  bool Save(DS_IOF_Virtual** stream) override;
  // The base layer's resources, then the brush's effect, without a mask.
  void CreateDeviceResources() override;
  // The brush's effect lets go of the layer's target, a default-pool texture, before the base layer
  // releases it: otherwise the device cannot be reset.
  void ReleaseDeviceResources() override;
  // Ends the layer target and draws what it holds through the brush, then the borders.
  void PostRender() override;
  // Always the picture: the layer has nothing to draw instead.
  void Render(bool clearOnly) override;
  // The camera, then the brush's clock.
  void AdvanceFrame(float t) override;
  bool HasPostEffect() const override { return true; }

  DS_UnderwaterFX brush;

 private:
  // The drawn texture on the screen quad, unwobbled: what shows when the brush has no effect.
  void DrawPlain(IDirect3DTexture9* drawn);
};

// The "FakeUndervater" record, version 2: the brush record, then a whole "DS_2D_Light" record.
bool WriteFakeUndervaterRecord(DS_IOF_Virtual** stream, FakeUndervater& light);
// Version 1 stores only the brush's clock value, at twice the speed; any other version the brush record.
void ReadFakeUndervaterFields(DS_IOF_Virtual** stream, DWORD version, FakeUndervater& light);
template <>
void IOF_ReadFields<FakeUndervater>(DS_IOF_Virtual** stream, DWORD version, FakeUndervater& light);
