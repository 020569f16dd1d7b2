#include "render/effect_particle_objs.h"

#include "document/device.h"
#include "render/ab_render.h"

DS_GlowingObj::DS_GlowingObj(std::unique_ptr<DS_GlowEffectCtrl> clone) {
  glowController = clone.get();
  description = clone.get();
  controller = std::move(clone);
  BindCount();
  glowController->LoadResources();
  targets.Create(kGlowTargetSize, kGlowTargetSize);
}

DS_GlowingObj::~DS_GlowingObj() {
  targets.ReleaseTextures();
  controller.reset();
  description = nullptr;
  glowController = nullptr;
}

bool DS_GlowingObj::NeedsBackground() { return glowController->effect && targets.Current() && g_Device; }

void DS_GlowingObj::ReleaseDeviceResources() {
  if (ID3DXEffect* effect = glowController->effect.Get()) {
    effect->SetTexture("Texture1", nullptr);
    effect->SetTexture("Texture2", nullptr);
  }
  targets.ReleaseTextures();
}

void DS_GlowingObj::RestoreDeviceResources() {
  if (!targets.Current()) targets.Create(kGlowTargetSize, kGlowTargetSize);
}

void DS_GlowingObj::Update(float time) {
  glowController->PreUpdate();
  ParticleGeomArray::Update(time);
  FillVertices();
}

void DS_GlowingObj::Render(DS_ABRender& layer) {
  DS_GlowEffectCtrl& d = *glowController;
  ID3DXEffect* effect = d.effect.Get();
  // Without its effect the layer has nothing to draw with; without a glow target the clear and the
  // glow pass would land on whatever target is bound, so nothing is drawn either.
  if (!effect || !targets.Current() || !g_Device) return;
  const DWORD stored = d.glowColor.value;
  const float glow[4] = {static_cast<float>(stored & 0xFFu) / 255.0f,
                         static_cast<float>((stored >> 8) & 0xFFu) / 255.0f,
                         static_cast<float>((stored >> 16) & 0xFFu) / 255.0f, d.glowIntensity.derived};

  // Every particle's glow picture into the glow target, combined by taking the brighter.
  effect->SetTexture("Texture1", d.glowTexture.Get());
  effect->SetTechnique("Blend_Max");
  targets.BeginRender();
  layer.BeginTarget(targets, 3);
  g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0);
  layer.DrawSpritesWithEffect(*this, effect);
  targets.EndRender();
  layer.EndTarget();

  // The whole layer again, from its background combined with the tinted glow.
  effect->SetTechnique(d.blendMode.value == 1 ? "Blend_Screen" : "Blend_Normal");
  effect->SetFloatArray("BlendColor", glow, 4);
  effect->SetTexture("Texture1", layer.GetBackground().Get());
  effect->SetTexture("Texture2", targets.Current());
  layer.DrawQuadWithEffect(layer.GetScreenQuad(), effect);

  // The sprites themselves on top.
  effect->SetTechnique("Common");
  effect->SetTexture("Texture1", d.spriteTexture.Get());
  layer.DrawSpritesWithEffect(*this, effect);
}

DS_FXObj::DS_FXObj(std::unique_ptr<DS_BaseFXCtrl> clone) {
  effectController = clone.get();
  description = clone.get();
  controller = std::move(clone);
  BindCount();
  effectController->LoadResources();
}

DS_FXObj::~DS_FXObj() {
  controller.reset();
  description = nullptr;
  effectController = nullptr;
}

void DS_FXObj::Update(float time) {
  ParticleGeomArray::Update(time);
  FillVertices();
}

void DS_FXObj::Render(DS_ABRender& layer) {
  // An effect that could not be made draws nothing.
  if (!effectController->effect) return;
  effectController->SetEffectParameters(&layer);
  layer.DrawSpritesWithEffect(*this, effectController->effect.Get());
}
