#include "render/particle_fx_ctrl.h"

#include <memory>

#include "document/doc_res_manager.h"
#include "render/effect_particle_objs.h"

namespace {

// The first picture of the link's set; null without a manager or a picture.
IDirect3DTexture9* FirstTexture(const DS_ImageFileLink& link) {
  if (!g_DocResManager) return nullptr;
  const TextureSet* set = g_DocResManager->GetTextureSet(link);
  return set && !set->textures.empty() ? set->textures.front().Get() : nullptr;
}

}  // namespace

void DS_FXParticleSystemCtrl::LoadResources() {
  // The manager adds a reference for the caller; that one is kept.
  effect.Attach(g_DocResManager ? g_DocResManager->GetEffect(effectLink) : nullptr);
}

DS_GlowEffectCtrl::DS_GlowEffectCtrl() {
  glowIntensity.scale = 0.01f;
  glowIntensity = 100u;
}

DS_ABObj* DS_GlowEffectCtrl::CreateObject() {
  return new DS_GlowingObj(std::unique_ptr<DS_GlowEffectCtrl>(static_cast<DS_GlowEffectCtrl*>(Clone())));
}

void DS_GlowEffectCtrl::LoadResources() {
  DS_FXParticleSystemCtrl::LoadResources();
  glowTexture.Set(FirstTexture(maskLink));
  spriteTexture.Set(FirstTexture(imageLink));
}
