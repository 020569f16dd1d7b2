// The render objects of particle layers drawn through an effect: the glow object, which adds a
// coloured glow around its sprites in three passes, and the effect object, whose description sets
// the effect's parameters before the sprites are drawn.
#pragma once
#include <memory>

#include "render/ab_obj.h"
#include "render/particle_fx_ctrl.h"
#include "render/particle_geom_array.h"
#include "document/render_target_pair.h"

class DS_GlowingObj : public DS_ABObj, public ParticleGeomArray {
 public:
  // The size of the offscreen target the glow pictures are gathered in.
  static constexpr UINT kGlowTargetSize = 512;

  // Takes the description clone, creates the particles, loads the effect and pictures and makes the
  // glow target.
  explicit DS_GlowingObj(std::unique_ptr<DS_GlowEffectCtrl> clone);
  ~DS_GlowingObj() override;

  void Render(DS_ABRender& layer) override;
  void DrawSelection(DS_ABRender&, int) override {}
  void Update(float time) override;
  void SyncLayout() override {}
  // The layer redraws its background combined with the glow; without its effect or its target the
  // object draws nothing, and the layer then has no reason to hand its background over.
  bool NeedsBackground() override;
  // The glow target and the effect's references to it and to the layer's background.
  void ReleaseDeviceResources() override;
  void RestoreDeviceResources() override;

  DS_GlowEffectCtrl* glowController = nullptr;  // the same clone
  RenderTargetPair targets;
};

class DS_FXObj : public DS_ABObj, public ParticleGeomArray {
 public:
  // Takes the description clone, creates the particles and loads the effect.
  explicit DS_FXObj(std::unique_ptr<DS_BaseFXCtrl> clone);
  ~DS_FXObj() override;

  void Render(DS_ABRender& layer) override;
  void DrawSelection(DS_ABRender&, int) override {}
  void Update(float time) override;
  void SyncLayout() override {}
  void ReleaseDeviceResources() override { effectController->ReleaseDeviceResources(); }
  void RestoreDeviceResources() override { effectController->RestoreDeviceResources(); }

  DS_BaseFXCtrl* effectController = nullptr;  // the same clone
};
