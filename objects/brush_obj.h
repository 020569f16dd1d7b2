// The render object a slide makes from an effect brush: it owns the brush clone and forwards the
// frame's update and drawing to it.
#pragma once
#include <memory>

#include "objects/effect_brush.h"
#include "render/ab_obj.h"

class DS_BrushObj : public DS_ABObj {
 public:
  // Takes the clone and loads it with the mask the document keeps under the clone's GUID (an empty
  // slot is made for a GUID it does not have yet).
  explicit DS_BrushObj(std::unique_ptr<DS_FX_Constructor> clone);

  void Render(DS_ABRender& layer) override { brush->Apply(layer); }
  void DrawSelection(DS_ABRender& layer, int) override { brush->DrawSelection(layer); }
  void Update(float time) override { brush->Update(time); }
  void SyncLayout() override {}
  // A "MainFX" brush reworks everything drawn so far, so the layer hands it over first.
  bool NeedsBackground() override { return brush->mainFX.value != 0; }
  // The effect lets go of the layer's background, a default-pool target, before a reset.
  void ReleaseDeviceResources() override {
    if (brush->effect) brush->effect->SetTexture("Background", nullptr);
  }

  DS_FX_Constructor* brush = nullptr;  // the same clone as the controller
};
